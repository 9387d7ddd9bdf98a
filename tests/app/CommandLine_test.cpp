// testznapi's command line: what it asks for, and what it reports without keeping the window
// from opening.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "CommandLine.h"

namespace app_test {
namespace {

using Action = app::CommandLine::Action;

struct Case {
  QStringList arguments;
  Action action;
  QStringList names;
  QString warning;
};

TEST(CommandLine, ReadsHelpVersionAndNamesAndReportsWhatItDoesNotKnow) {
  const QString seeHelp = " (the window opens all the same; see testznapi --help)";
  const Case cases[] = {
      {{}, Action::OpenWindow, {}, ""},
      {{"tls://127.0.0.1:20222"}, Action::OpenWindow, {"tls://127.0.0.1:20222"}, ""},
      {{"a", "b"}, Action::OpenWindow, {"a", "b"}, ""},
      {{"--help"}, Action::ShowHelp, {}, ""},
      {{"-h"}, Action::ShowHelp, {}, ""},
      {{"--version"}, Action::ShowVersion, {}, ""},
      {{"-v", "a"}, Action::ShowVersion, {"a"}, ""},
      // A launcher's argument is reported, and the names around it still count.
      {{"--anything", "a"},
       Action::OpenWindow,
       {"a"},
       "testznapi: unknown option 'anything'" + seeHelp},
      {{"-x", "--y=1", "a", "b", "c"},
       Action::OpenWindow,
       {"a", "b"},
       "testznapi: unknown options 'x', 'y'; more than two computer names, 'c' ignored" + seeHelp},
      // One dash starts a word, not a row of letters: Qt's -reverse is no -v.
      {{"-reverse"}, Action::OpenWindow, {}, "testznapi: unknown option 'reverse'" + seeHelp},
      // After "--" a name may look like an option.
      {{"--", "--odd-name"}, Action::OpenWindow, {"--odd-name"}, ""},
  };
  for (const auto& c : cases) {
    const auto parsed = app::ParseCommandLine(QStringList{"/usr/bin/testznapi"} + c.arguments);
    const auto shown = c.arguments.join(' ').toStdString();
    EXPECT_EQ(parsed.action, c.action) << shown;
    EXPECT_EQ(parsed.computerNames, c.names) << shown;
    EXPECT_EQ(parsed.warning, c.warning) << shown;
  }
}

TEST(CommandLine, HelpNamesTheProgramAsTypedAndVersionGivesNameAndVersion) {
  const QString usage = app::UsageText();
  EXPECT_TRUE(usage.startsWith("Usage: testznapi [options] [primary [standby]]\n"))
      << usage.toStdString();
  EXPECT_TRUE(usage.contains("--version")) << usage.toStdString();
  EXPECT_FALSE(usage.contains("executable_name")) << usage.toStdString();
  EXPECT_TRUE(app::VersionText().contains(QRegularExpression("^testznapi \\d+\\.\\d+\\.\\d+\\n$")))
      << app::VersionText().toStdString();
}

}  // namespace
}  // namespace app_test
