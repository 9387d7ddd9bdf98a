#pragma once
/// What testznapi's command line asks for. It never keeps the window from opening: a desktop
/// launcher or a script may pass arguments this version does not know.
#include <QString>
#include <QStringList>

namespace app {

struct CommandLine {
  enum class Action { OpenWindow, ShowHelp, ShowVersion };
  Action action = Action::OpenWindow;
  /// The primary's and the standby's computer names, at most two.
  QStringList computerNames;
  /// What the program did not understand, for standard error; empty when all was understood.
  QString warning;
};

/// Reads `arguments` (the program first). Options of one dash are whole words (`-h`,
/// `-platform`), so a toolkit option before the window system has taken it is never read as
/// a row of one-letter options.
CommandLine ParseCommandLine(const QStringList& arguments);

/// The text of `testznapi --help`.
QString UsageText();
/// The text of `testznapi --version`: the program's name and version.
QString VersionText();

}  // namespace app
