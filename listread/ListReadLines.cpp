#include "ListReadLines.h"

namespace listread {

QString TagAddFailedLine(const QString& tag) {
  return QStringLiteral("TAG ADD FAILED: '") + tag + u'\'';
}

QString TagReadFailedLine(const QString& tag) {
  return QStringLiteral("TAG READ FAILED: '") + tag + u'\'';
}

bool IsFailureLineOf(const QString& value, const QString& tag) {
  return value == TagAddFailedLine(tag) || value == TagReadFailedLine(tag);
}

QString WriteStatusText(const QString& timing, int notWritten, int pairs) {
  if (notWritten == 0) return timing;
  return timing + u' ' + QString::number(notWritten) + QStringLiteral(" of ") +
         QString::number(pairs) + QStringLiteral(" tag(s) not written.");
}

}  // namespace listread
