// Twips geometry: 15 twips to a device-independent pixel.
#include <gtest/gtest.h>

#include <QWidget>

#include "Widgets.h"

namespace {

TEST(Twips, RoundToTheNearestPixel) {
  struct Case {
    int twips;
    int pixels;
  };
  const Case cases[] = {{0, 0},    {7, 0},      {8, 1},      {15, 1}, {22, 1},  {23, 2},  {120, 8},
                        {195, 13}, {8895, 593}, {9135, 609}, {-7, 0}, {-8, -1}, {-15, -1}};
  for (const auto& c : cases) EXPECT_EQ(ui::TwipsToPixels(c.twips), c.pixels) << c.twips;
  EXPECT_EQ(ui::PixelsToTwips(593), 8895);
  EXPECT_EQ(ui::PixelsToTwips(0), 0);
}

TEST(Twips, PlaceSetsTheGeometryInPixels) {
  QWidget parent;
  auto* child = new QWidget(&parent);
  ui::PlaceTwips(child, 1560, 240, 2535, 300);
  EXPECT_EQ(child->geometry(), QRect(104, 16, 169, 20));
}

}  // namespace
