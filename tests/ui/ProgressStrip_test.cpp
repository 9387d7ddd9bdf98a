// The progress strip during a load loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include "Widgets.h"

namespace {

class ProgressStripTest : public ::testing::Test {
 protected:
  ProgressStripTest() { strip.resize(200, 17); }  // a 198 x 15 pixel drawing area

  ui::ProgressStrip strip;
};

TEST_F(ProgressStripTest, BarIsDrawnToItsWidthInTwips) {
  strip.FillBar(50 * 15);
  const QImage image = strip.grab().toImage();
  EXPECT_EQ(image.pixel(50, 8), qRgb(0, 0, 192));
  EXPECT_NE(image.pixel(51, 8), qRgb(0, 0, 192));
}

// A loop moves the bar far faster than a screen shows frames: most steps must not repaint,
// yet the step that ends a burst must reach the screen.
TEST_F(ProgressStripTest, BurstsRepaintSeldomButEndOnTheLastStep) {
  struct PaintWatch : QObject {
    int paints = 0;
    int lastPaintedBar = -1;
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Paint) {
        ++paints;
        lastPaintedBar = static_cast<ui::ProgressStrip*>(watched)->barTwips();
      }
      return false;
    }
  } watch;
  strip.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
  strip.installEventFilter(&watch);
  const int steps = strip.ScaleWidth() / 15;  // one pixel of bar per step
  for (int step = 1; step <= steps; ++step) {
    strip.FillBar(step * 15);
    QApplication::processEvents();
  }
  EXPECT_LT(watch.paints, steps / 2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return watch.lastPaintedBar == steps * 15; }, 5000));
}

}  // namespace
