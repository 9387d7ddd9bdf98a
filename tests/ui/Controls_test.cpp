// The small controls: a label that reports clicks and a text box that reports focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "Widgets.h"

namespace {

TEST(ClickableLabel, ReportsALeftClickOnlyWhenReleasedOverIt) {
  ui::ClickableLabel label("Click me");
  label.resize(120, 20);
  QSignalSpy clicks(&label, &ui::ClickableLabel::clicked);
  QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(10, 10));
  QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(500, 10));  // dragged away first
  EXPECT_EQ(clicks.count(), 1);
}

TEST(FocusLineEdit, ReportsEachTimeItGainsTheFocus) {
  QWidget window;
  auto* first = new ui::FocusLineEdit(&window);
  auto* second = new ui::FocusLineEdit(&window);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QSignalSpy firstFocus(first, &ui::FocusLineEdit::gotFocus);
  QSignalSpy secondFocus(second, &ui::FocusLineEdit::gotFocus);
  second->setFocus();
  first->setFocus();
  second->setFocus();
  EXPECT_EQ(firstFocus.count(), 1);
  EXPECT_EQ(secondFocus.count(), 2);
}

}  // namespace
