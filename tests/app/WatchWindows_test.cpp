// Watch windows from the main window and from the list window: windows of their own, any
// number, usable while the list window is shown modally.
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "MainWindowFixture.h"
#include "TextDragList.h"
#include "WatchTableModel.h"
#include "frmWatch.h"

namespace app_test {
namespace {

std::vector<watch::frmWatch*> WatchWindows() {
  std::vector<watch::frmWatch*> found;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (auto* window = dynamic_cast<watch::frmWatch*>(top); window && window->isVisible())
      found.push_back(window);
  return found;
}

TEST_F(MainWindowTest, WatchOpensAnotherNonModalWindowOfferingTheLoadedNamesEachTime) {
  w.cboTagNames[0]->addItems({"FLOW", "LEVEL"});  // as Load Tags leaves them
  w.show();
  QTest::mouseClick(w.cmdWatch, Qt::LeftButton);
  QTest::mouseClick(w.cmdWatch, Qt::LeftButton);
  const auto windows = WatchWindows();
  ASSERT_EQ(windows.size(), 2u);
  for (watch::frmWatch* window : windows) {
    EXPECT_EQ(window->windowTitle(), "Watch");
    EXPECT_EQ(window->windowModality(), Qt::NonModal);
    EXPECT_EQ(Items(window->cboTag), (QStringList{"FLOW", "LEVEL"}));
    EXPECT_TRUE(window->model().tags().isEmpty());
  }
}

TEST_F(MainWindowTest, TheListWindowsWatchOpensOneWithItsSelectedTagsThatStaysUsable) {
  local.tags = {{"LEVEL", "1.5"}, {"FLOW", "3"}};
  w.show();
  QStringList watched;
  bool started = false;
  WhileListWindowShown([&](frmListRead& list) {
    list.lstTagNames->addItems({"LEVEL", "FLOW"});
    QTest::mouseClick(list.cmdWatch, Qt::LeftButton);
    const auto windows = WatchWindows();
    ASSERT_EQ(windows.size(), 1u);
    watched = windows.front()->model().tags();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.front()));
    ClickThroughWindowSystem(windows.front()->cmdStart);
    started = windows.front()->cmdStart->text() == "Pause";
  });
  EXPECT_EQ(watched, (QStringList{"LEVEL", "FLOW"}));
  EXPECT_TRUE(started);
}

}  // namespace
}  // namespace app_test
