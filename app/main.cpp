// TestZnAPI: a desktop test bench for a ZnAPI connection to a Zontra SCADA server.
#include <QApplication>
#include <QFont>
#include <algorithm>
#include <cstdio>

#include "CallLog.h"
#include "CommandLine.h"
#include "DynamicZnApi.h"
#include "QtHost.h"
#include "RecordingZnApi.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace {

QStringList ArgumentsOf(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  // Help and version need no screen: they answer before the window system is started, so they
  // work over SSH and where the manual page is made.
  const app::CommandLine asked = app::ParseCommandLine(ArgumentsOf(argc, argv));
  if (asked.action != app::CommandLine::Action::OpenWindow) {
    const QString text =
        asked.action == app::CommandLine::Action::ShowHelp ? app::UsageText() : app::VersionText();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("TestZnAPI");
  QApplication::setApplicationVersion(ZN_VERSION);
  // Lets the desktop match the window with its launcher entry and icon.
  QGuiApplication::setDesktopFileName(ZN_APP_ID);
  // The window system has taken its own options out; what is left is ours.
  const app::CommandLine command = app::ParseCommandLine(QApplication::arguments());
  if (!command.warning.isEmpty())
    std::fprintf(stderr, "%s\n", command.warning.toLocal8Bit().constData());

  // The windows were laid out for the classic 8-point sans serif and Courier New; the
  // Liberation fonts have the same metrics.
  QFont::insertSubstitutions("MS Sans Serif", {"Microsoft Sans Serif", "Liberation Sans", "Arial"});
  QFont::insertSubstitutions("Courier New", {"Liberation Mono", "Courier", "Monospace"});

  binding::DynamicZnApi library;
  binding::CallLog callLog;
  binding::RecordingZnApi recorded(library, callLog);
  binding::basZNAPI module(recorded);
  ui::QtHost host;
  frmTestConnection window(module, host, &callLog);

  // A script that starts servers can hand their names to the connection boxes.
  const auto& names = command.computerNames;
  for (qsizetype i = 0; i < std::min<qsizetype>(names.size(), window.txtComputer.size()); ++i) {
    window.txtComputer[static_cast<std::size_t>(i)]->setText(names[i]);
  }
  window.show();
  return QApplication::exec();
}
