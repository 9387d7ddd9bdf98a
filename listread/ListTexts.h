#pragma once
/// The texts of the list window: plain text as it travels by drag and drop into and out of
/// its lists (one entry per line, every line ended by CR LF), and the lines that a list read
/// and a list write put into the value list and the status line.
#include <QString>
#include <QStringList>

namespace listread {

// ---- Drag and drop ---------------------------------------------------------------------------

/// The entries of a dropped text: the pieces between CR LF pairs, spaces around them removed.
/// The piece after the last CR LF is never an entry: it is empty for a text that ends in CR LF,
/// and an unfinished last line is left out. Empty lines between two CR LF pairs are entries.
QStringList DropEntries(const QString& text);

/// The text a drag carries: every entry followed by CR LF, so that each one arrives through
/// DropEntries again.
QString DragPayload(const QStringList& entries);

// ---- Read and write --------------------------------------------------------------------------

/// The value line of a tag that the library would not add to the list.
QString TagAddFailedLine(const QString& tag);
/// The value line of a tag whose value the list read did not deliver.
QString TagReadFailedLine(const QString& tag);

/// Whether `value` is exactly one of the two failure lines of `tag`. Such a line is what a
/// read left behind, not a value anyone meant to write.
bool IsFailureLineOf(const QString& value, const QString& tag);

/// The status text after a list write: the timing text, followed by how many of the pairs
/// were not written when any were not.
QString WriteStatusText(const QString& timing, int notWritten, int pairs);

}  // namespace listread
