#pragma once
/// Plain text as it travels by drag and drop into and out of the list window's lists: one
/// entry per line, every line ended by CR LF.
#include <QString>
#include <QStringList>

namespace listread {

/// The entries of a dropped text: the pieces between CR LF pairs, spaces around them removed.
/// The piece after the last CR LF is never an entry: it is empty for a text that ends in CR LF,
/// and an unfinished last line is left out. Empty lines between two CR LF pairs are entries.
QStringList DropEntries(const QString& text);

/// The text a drag carries: every entry followed by CR LF, so that each one arrives through
/// DropEntries again.
QString DragPayload(const QStringList& entries);

/// The text without leading and trailing spaces; tabs and other white space stay.
QString TrimSpaces(const QString& text);

}  // namespace listread
