// The label that reports clicks: the server clock is switched on and off through it.
#include <gtest/gtest.h>

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

}  // namespace
