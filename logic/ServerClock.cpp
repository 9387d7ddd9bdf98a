#include "ServerClock.h"

#include "Blanks.h"

namespace app {

QString ServerTimeCaption(const QString& computer, const QString& timeText) {
  return computer + QStringLiteral("'s time: ") + TrimBlanks(timeText);
}

}  // namespace app
