#include "DropText.h"

namespace listread {

namespace {
const QString kLineEnd = QStringLiteral("\r\n");
}

QStringList DropEntries(const QString& text) {
  QStringList pieces = text.split(kLineEnd, Qt::KeepEmptyParts, Qt::CaseSensitive);
  pieces.removeLast();  // split always yields at least one piece
  for (QString& piece : pieces) piece = TrimSpaces(piece);
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

QString TrimSpaces(const QString& text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && text[first] == u' ') ++first;
  while (last > first && text[last - 1] == u' ') --last;
  return text.mid(first, last - first);
}

}  // namespace listread
