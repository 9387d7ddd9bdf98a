#include <QWidget>
#include <cmath>

#include "Widgets.h"

namespace ui {

namespace {
// Twips per device-independent pixel (1440 twips an inch at 96 pixels an inch); Qt scales
// device-independent pixels to the screen, so the layout keeps its proportions on any one.
constexpr double kTwipsPerPixel = 15.0;
}  // namespace

int TwipsToPixels(int twips) {
  return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

int PixelsToTwips(int pixels) {
  return static_cast<int>(pixels * kTwipsPerPixel);
}

void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                      TwipsToPixels(height));
}

}  // namespace ui
