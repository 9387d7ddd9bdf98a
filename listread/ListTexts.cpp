#include "ListTexts.h"

#include "TextValues.h"

namespace listread {

namespace {
const QString kLineEnd = QStringLiteral("\r\n");
}

QStringList DropEntries(const QString& text) {
  QStringList pieces = text.split(kLineEnd, Qt::KeepEmptyParts, Qt::CaseSensitive);
  pieces.removeLast();  // split always yields at least one piece
  for (QString& piece : pieces) piece = logic::TrimBlanks(piece);
  return pieces;
}

QString DragPayload(const QStringList& entries) {
  qsizetype size = 0;
  for (const QString& e : entries) size += e.size() + kLineEnd.size();
  QString payload;
  payload.reserve(size);
  for (const QString& e : entries) {
    payload += e;
    payload += kLineEnd;
  }
  return payload;
}

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
