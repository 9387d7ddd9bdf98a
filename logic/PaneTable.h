#pragma once
/// The result pane's text as a table: how the rows that the last request wrote split into
/// columns, so that they can be saved as CSV and copied as tab-separated text.
#include <QString>
#include <QStringList>
#include <span>

#include "QueryTexts.h"

namespace logic {

class DelimitedText;

/// How the pane's rows split into values. The request that starts the pane sets it, because
/// the text alone cannot tell which request wrote it.
struct PaneLayout {
  enum class Shape {
    Text,       // the whole text is one value (a function's answer, or nothing known)
    Separated,  // each value is followed by its separator; the last one is CR LF
    TabEnded,   // every value is followed by a tab, and the row by CR LF
  };
  Shape shape = Shape::Text;
  /// The column names; empty when the pane's first line names them.
  QStringList columns;
  QStringList separators;
  bool headerLine = false;

  /// Rows laid out field by field, named after the fields.
  static PaneLayout Rows(std::span<const FieldLayout> fields);
  /// A header line naming date, time and the trend, then one row per sample.
  static PaneLayout TrendRows();
  /// A device's records, named after the fields of its first record.
  static PaneLayout DeviceRows(QStringList fieldNames);
  /// One value, the answer to `column`.
  static PaneLayout Whole(QString column);
};

/// Lines of the pane as the display shows them (a line ends at LF), both ends included.
struct LineRange {
  qsizetype first = 0;
  qsizetype last = 0;
};

/// Adds the header and every row to `out`.
void AddPaneTable(const QString& text, const PaneLayout& layout, DelimitedText& out);
/// Adds the rows that have a line within `lines`, the header among them when its line is.
void AddPaneRows(const QString& text, const PaneLayout& layout, LineRange lines,
                 DelimitedText& out);

}  // namespace logic
