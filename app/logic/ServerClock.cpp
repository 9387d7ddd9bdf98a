#include "ServerClock.h"

namespace app {

QString ServerTimeCaption(const QString& computer, const QString& timeText) {
  // Blanks only: whatever else the server sends is shown as it comes.
  qsizetype first = 0;
  qsizetype end = timeText.size();
  while (first < end && timeText[first] == QLatin1Char(' ')) ++first;
  while (end > first && timeText[end - 1] == QLatin1Char(' ')) --end;
  return computer + QStringLiteral("'s time: ") + timeText.mid(first, end - first);
}

}  // namespace app
