// The close path: a close asked for while a handler's loop runs waits for the loop to end.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

TEST_F(MainWindowTest, CloseDuringALoopWaitsForTheLoopToEnd) {
  w.cmdTestConnection->click();
  w.show();
  {
    frmTestConnection::BusyScope scope(w);
    w.cmdExit->click();  // a nested Exit while a loop runs
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(api.countOf("znClose"), 0) << "handles stay open while the loop uses them";
  }
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(api.countOf("znClose"), 1);
}

}  // namespace
}  // namespace app_test
