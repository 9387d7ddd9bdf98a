// TestZnAPI: a desktop test bench for a ZnAPI connection to a Zontra SCADA server.
#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <algorithm>

#include "CallLog.h"
#include "DynamicZnApi.h"
#include "QtHost.h"
#include "RecordingZnApi.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("TestZnAPI");
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
  QCommandLineParser options;
  options.setApplicationDescription("A test bench for ZnAPI connections.");
  options.addHelpOption();
  options.addPositionalArgument("primary", "the primary's computer name", "[primary");
  options.addPositionalArgument("standby", "the standby's computer name", "[standby]]");
  options.process(app);
  const QStringList names = options.positionalArguments();
  for (qsizetype i = 0; i < std::min<qsizetype>(names.size(), window.txtComputer.size()); ++i) {
    window.txtComputer[static_cast<std::size_t>(i)]->setText(names[i]);
  }
  window.show();
  return QApplication::exec();
}
