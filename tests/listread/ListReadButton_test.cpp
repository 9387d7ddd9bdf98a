// The main window's List Read button; opening the list window itself is covered end to end.
#include <QApplication>
#include <QTimer>

#include "ListWindowFixture.h"
#include "frmTestConnection.h"

namespace listread_test {
namespace {

TEST(ListReadButton, DoesNothingWhileAnotherHandlerIsBusy) {
  fake::FakeZnApi api;
  server::basZNAPI module{api};
  fake::FakeHost host;
  frmTestConnection main{module, host};
  frmTestConnection::BusyScope busy(main);
  bool opened = false;
  // Owned here, so a window that never opens leaves no timer behind for later tests; should
  // one open, it is closed so the test fails instead of hanging.
  QTimer probe;
  probe.setSingleShot(true);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (auto* form = dynamic_cast<frmListRead*>(QApplication::activeModalWidget())) {
      opened = true;
      form->cmdExit->click();
    }
  });
  probe.start(0);
  main.cmdListRead->click();
  EXPECT_FALSE(opened);
  EXPECT_TRUE(host.pointers.empty());
}

}  // namespace
}  // namespace listread_test
