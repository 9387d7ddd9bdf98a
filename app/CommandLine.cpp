#include "CommandLine.h"

#include <QCommandLineParser>

namespace app {

namespace {

constexpr const char* kProgram = "testznapi";

// Qt reads its own options (-platform, -style, -display ...) out of the command line when the
// window system starts; they are named here because the parser below never sees them then.
constexpr const char* kDescription =
    "A test bench for ZnAPI connections to Zontra SCADA servers: connect to a primary and a "
    "standby, read and write tags, load names, request alarms, trends, device records and "
    "script functions, and read lists of tags.\n"
    "Qt's own options (-platform NAME, -style NAME, -display DISPLAY, -reverse ...) are "
    "accepted too.\n"
    "ZNAPI_LIBRARY names the client library to load instead of libznapi.so beside the "
    "program or the installed libznapi.so.1; ZNAPI_TLS_CA names a PEM file of the CAs to "
    "trust for tls:// computer names instead of the system's.";

struct Parser {
  QCommandLineParser parser;
  QCommandLineOption help{{"h", "help"}, "Show this help and exit."};
  QCommandLineOption version{{"v", "version"}, "Show the program's version and exit."};

  Parser() {
    parser.setApplicationDescription(kDescription);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument("primary",
                                 "The primary's computer name (host, host:port, "
                                 "tls://host:port), filled into its box.",
                                 "[primary");
    parser.addPositionalArgument("standby", "The standby's computer name.", "[standby]]");
  }
};

QString Quoted(const QStringList& items) {
  QStringList quoted;
  for (const auto& item : items) quoted << "'" + item + "'";
  return quoted.join(", ");
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
  Parser p;
  p.parser.parse(arguments);
  CommandLine out;
  if (p.parser.isSet(p.help)) {
    out.action = CommandLine::Action::ShowHelp;
  } else if (p.parser.isSet(p.version)) {
    out.action = CommandLine::Action::ShowVersion;
  }
  const QStringList positional = p.parser.positionalArguments();
  out.computerNames = positional.mid(0, 2);
  QStringList problems;
  const QStringList unknown = p.parser.unknownOptionNames();
  if (!unknown.isEmpty())
    problems << QString(unknown.size() == 1 ? "unknown option %1" : "unknown options %1")
                    .arg(Quoted(unknown));
  if (positional.size() > 2)
    problems << QString("more than two computer names, %1 ignored").arg(Quoted(positional.mid(2)));
  if (!problems.isEmpty())
    out.warning = QString("%1: %2 (the window opens all the same; see %1 --help)")
                      .arg(kProgram, problems.join("; "));
  return out;
}

QString UsageText() {
  Parser p;
  // The parser names the program after the path it was started by, or a placeholder before
  // the application exists; the usage line names it as a user types it.
  const QString body = p.parser.helpText().section('\n', 1);
  return QString("Usage: %1 [options] [primary [standby]]\n").arg(kProgram) + body;
}

QString VersionText() {
  return QString("%1 %2\n").arg(kProgram, ZN_VERSION);
}

}  // namespace app
