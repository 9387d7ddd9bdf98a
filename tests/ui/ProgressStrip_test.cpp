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

TEST_F(ProgressStripTest, BarIsDrawnToItsWidthInTwipsWithTheCaptionReadableOnBothSides) {
  strip.PrintCaption("Loading tags...");
  strip.FillBar(30 * 15);
  const QImage image = strip.grab().toImage();
  EXPECT_EQ(image.pixel(30, 15), qRgb(0, 0, 192));
  EXPECT_NE(image.pixel(31, 15), qRgb(0, 0, 192));
  // Light text over the dark bar, dark text beside it.
  int light = 0, dark = 0;
  for (int y = 1; y <= 15; ++y) {
    for (int x = 1; x <= 30; ++x) light += qGray(image.pixel(x, y)) > 160;
    for (int x = 31; x < 150; ++x) dark += qGray(image.pixel(x, y)) < 80;
  }
  EXPECT_GT(light, 10);
  EXPECT_GT(dark, 10);
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
