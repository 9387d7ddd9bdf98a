#include "PaneTable.h"

#include <functional>

#include "DelimitedText.h"
#include "TextValues.h"

namespace logic {

namespace {

const QString kRowEnd = QStringLiteral("\r\n");

bool AllBlanks(const QString& s) {
  return !s.isEmpty() && s.count(QLatin1Char(' ')) == s.size();
}

/// Reads one row of values from `text` at `pos` and moves `pos` past it.
class RowReader {
 public:
  RowReader(const QString& text, const PaneLayout& layout) : text_(text), layout_(layout) {}

  QStringList Next(qsizetype& pos) const {
    switch (layout_.shape) {
      case PaneLayout::Shape::Separated:
        return Separated(pos);
      case PaneLayout::Shape::TabEnded:
        return TabEnded(pos);
      case PaneLayout::Shape::Text:
        break;
    }
    pos = text_.size();
    return {text_};
  }

 private:
  QStringList Separated(qsizetype& pos) const {
    const QStringList& seps = layout_.separators;
    QStringList values;
    for (qsizetype i = 0; i < seps.size(); ++i) {
      const QString& sep = seps[i];
      const qsizetype at = text_.indexOf(sep, pos);
      if (at < 0) {  // an unfinished last row
        values << text_.mid(pos);
        pos = text_.size();
        return values;
      }
      if (!AllBlanks(sep)) {
        values << text_.mid(pos, at - pos);
        pos = at + sep.size();
        continue;
      }
      // A run of blanks holds this separator, the separators of values left empty after it
      // (an alarm that is still on has no off date or time), and trailing blanks of this
      // value: fill the empty values first, as many as the run and the layout allow.
      qsizetype end = at;
      while (end < text_.size() && text_[end] == QLatin1Char(' ')) ++end;
      qsizetype spare = end - at - sep.size();
      qsizetype empties = 0;
      while (spare >= sep.size() && i + 1 + empties < seps.size() && seps[i + 1 + empties] == sep) {
        spare -= sep.size();
        ++empties;
      }
      values << text_.mid(pos, at + spare - pos);
      for (qsizetype e = 0; e < empties; ++e) values << QString();
      i += empties;
      pos = end;
    }
    return values;
  }

  QStringList TabEnded(qsizetype& pos) const {
    qsizetype end = text_.indexOf(kRowEnd, pos);
    if (end < 0) end = text_.size();
    QStringList values = text_.mid(pos, end - pos).split(QLatin1Char('\t'));
    if (values.last().isEmpty()) values.removeLast();  // after the last value's tab
    pos = qMin(end + kRowEnd.size(), text_.size());
    return values;
  }

  const QString& text_;
  const PaneLayout& layout_;
};

/// Walks the rows with the display lines each one covers; the header row comes first.
void ForEachRow(const QString& text, const PaneLayout& layout,
                const std::function<void(const QStringList&, bool header, LineRange)>& row) {
  const RowReader reader(text, layout);
  qsizetype pos = 0;
  qsizetype line = 0;
  bool header = layout.headerLine;
  while (pos < text.size()) {
    const qsizetype start = pos;
    const QStringList values = reader.Next(pos);
    const qsizetype breaks = QStringView(text).mid(start, pos - start).count(QLatin1Char('\n'));
    const bool ended = pos > start && text[pos - 1] == QLatin1Char('\n');
    row(values, header, {line, line + breaks - (ended ? 1 : 0)});
    line += breaks;
    header = false;
  }
}

QStringList HeaderNames(const QStringList& values) {
  QStringList names;
  for (const QString& v : values) names << TrimBlanks(v);  // "Date    " names the column Date
  return names;
}

}  // namespace

PaneLayout PaneLayout::Rows(std::span<const FieldLayout> fields) {
  PaneLayout layout;
  layout.shape = Shape::Separated;
  for (const FieldLayout& field : fields) {
    layout.columns << QString::fromLatin1(field.name);
    layout.separators << QString::fromLatin1(field.separator);
  }
  return layout;
}

PaneLayout PaneLayout::TrendRows() {
  PaneLayout layout;
  layout.shape = Shape::Separated;
  layout.separators = {QStringLiteral("\t"), QStringLiteral("\t"), kRowEnd};
  layout.headerLine = true;
  return layout;
}

PaneLayout PaneLayout::DeviceRows(QStringList fieldNames) {
  PaneLayout layout;
  layout.shape = Shape::TabEnded;
  layout.columns = std::move(fieldNames);
  return layout;
}

PaneLayout PaneLayout::Whole(QString column) {
  PaneLayout layout;
  layout.columns = {std::move(column)};
  return layout;
}

void AddPaneTable(const QString& text, const PaneLayout& layout, DelimitedText& out) {
  if (!layout.headerLine && !layout.columns.isEmpty()) out.Add(layout.columns);
  ForEachRow(text, layout, [&](const QStringList& values, bool header, LineRange) {
    out.Add(header ? HeaderNames(values) : values);
  });
}

void AddPaneRows(const QString& text, const PaneLayout& layout, LineRange lines,
                 DelimitedText& out) {
  ForEachRow(text, layout, [&](const QStringList& values, bool header, LineRange rowLines) {
    if (rowLines.first <= lines.last && rowLines.last >= lines.first)
      out.Add(header ? HeaderNames(values) : values);
  });
}

}  // namespace logic
