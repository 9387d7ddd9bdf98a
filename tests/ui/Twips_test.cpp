// Twips geometry: 15 twips to a device-independent pixel.
#include <gtest/gtest.h>

#include <QWidget>

#include "Widgets.h"

namespace {

TEST(Twips, RoundToTheNearestPixelAndPlaceWidgetsInPixels) {
  const std::pair<int, int> cases[] = {{0, 0},    {7, 0},      {8, 1},  {22, 1},  {23, 2},
                                       {195, 13}, {8895, 593}, {-7, 0}, {-8, -1}, {-15, -1}};
  for (const auto& [twips, pixels] : cases) EXPECT_EQ(ui::TwipsToPixels(twips), pixels) << twips;
  EXPECT_EQ(ui::PixelsToTwips(593), 8895);
  QWidget parent;
  auto* child = new QWidget(&parent);
  ui::PlaceTwips(child, 1560, 240, 2535, 300);
  EXPECT_EQ(child->geometry(), QRect(104, 16, 169, 20));
}

}  // namespace
