// TestZnAPI: a desktop test bench for a ZnAPI connection to a Zontra SCADA server.
#include <QApplication>
#include <QFont>

#include "CallLog.h"
#include "DynamicZnApi.h"
#include "QtHost.h"
#include "RecordingZnApi.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("TestZnAPI");
  // The windows were laid out for the classic 8-point sans serif and Courier New; the
  // Liberation fonts have the same metrics.
  QFont::insertSubstitutions("MS Sans Serif", {"Microsoft Sans Serif", "Liberation Sans", "Arial"});
  QFont::insertSubstitutions("Courier New", {"Liberation Mono", "Courier", "Monospace"});

  server::DynamicZnApi library;
  server::CallLog callLog;
  server::RecordingZnApi recorded(library, callLog);
  server::basZNAPI module(recorded);
  ui::QtHost host;
  frmTestConnection window(module, host, &callLog);
  window.show();
  return QApplication::exec();
}
