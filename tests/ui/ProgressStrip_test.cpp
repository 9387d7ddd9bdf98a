// The progress strip: bar width in twips, drawn blue over the full inner height, caption kept
// visible.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <functional>

#include "Widgets.h"

namespace {

const QRgb kBlue = qRgb(0, 0, 192);

class ProgressStripTest : public ::testing::Test {
 protected:
  ProgressStripTest() { strip.resize(200, 17); }  // a 198 x 15 pixel drawing area
  QImage picture() { return strip.grab().toImage(); }

  ui::ProgressStrip strip;
};

TEST_F(ProgressStripTest, BarOnlyWidensUntilClearedAndScalesToTheInnerWidth) {
  EXPECT_EQ(strip.ScaleWidth(), 198 * 15);
  strip.PrintCaption("Tags 1 of 3");
  strip.FillBar(300);
  strip.FillBar(150);
  EXPECT_EQ(strip.barTwips(), 300);
  strip.Clear();
  EXPECT_EQ(strip.barTwips(), 0);
  EXPECT_EQ(strip.caption(), QString());
}

TEST_F(ProgressStripTest, BarCoversItsWidthAndTheFullInnerHeightButNotTheRim) {
  strip.FillBar(50 * 15);
  QImage image = picture();
  for (int y = 1; y <= 15; ++y) {
    EXPECT_EQ(image.pixel(1, y), kBlue) << y;
    EXPECT_EQ(image.pixel(50, y), kBlue) << y;
    EXPECT_NE(image.pixel(51, y), kBlue) << y;
  }
  EXPECT_NE(image.pixel(10, 0), kBlue);
  EXPECT_NE(image.pixel(10, 16), kBlue);
  strip.FillBar(strip.ScaleWidth() * 2);
  image = picture();
  EXPECT_EQ(image.pixel(198, 8), kBlue);
  EXPECT_NE(image.pixel(199, 8), kBlue);
}

TEST_F(ProgressStripTest, CaptionShowsBesideTheBarAndLightOverIt) {
  const auto countPixels = [](const QImage& image, const std::function<bool(QRgb)>& counts) {
    int n = 0;
    for (int x = 1; x < 100; ++x)
      for (int y = 1; y <= 15; ++y) n += counts(image.pixel(x, y));
    return n;
  };
  strip.PrintCaption("Loading tags");
  const QImage bare = picture();
  const QRgb window = bare.pixel(150, 2);
  EXPECT_GT(countPixels(bare, [&](QRgb p) { return p != window; }), 20);
  // Over the dark bar the caption must be light to be read, not merely present.
  strip.FillBar(strip.ScaleWidth());
  EXPECT_GT(countPixels(picture(), [](QRgb p) { return qGray(p) > 128; }), 20);
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
