#pragma once
/// The texts that a list read and a list write put into the list window and the status line.
#include <QString>

namespace listread {

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
