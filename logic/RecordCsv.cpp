#include "RecordCsv.h"

#include <QDateTime>

#include "SaveAs.h"
#include "TrendCsv.h"

namespace logic {

std::vector<RecordCsvColumn> RecordCsvColumns(std::span<const FieldLayout> layout) {
  std::vector<RecordCsvColumn> columns;
  for (int i = 0; i < static_cast<int>(layout.size()); ++i) {
    const QString field = QString::fromLatin1(layout[i].name);
    if (field.endsWith(QLatin1String("Date")) && i + 1 < static_cast<int>(layout.size())) {
      const QString prefix = field.chopped(4);
      if (QString::fromLatin1(layout[i + 1].name) == prefix + QLatin1String("Time")) {
        columns.push_back({prefix.isEmpty() ? QStringLiteral("time") : prefix.toLower(), i, i + 1});
        ++i;
        continue;
      }
    }
    columns.push_back({field.toLower(), i});
  }
  return columns;
}

QStringList RecordCsvHeader(const std::vector<RecordCsvColumn>& columns) {
  QStringList header;
  for (const RecordCsvColumn& column : columns) header << column.name;
  return header;
}

QStringList RecordCsvRow(const std::vector<RecordCsvColumn>& columns, const QStringList& values) {
  QStringList row;
  for (const RecordCsvColumn& column : columns) {
    row << (column.timeField < 0
                ? values.value(column.field)
                : IsoFromServer(values.value(column.field), values.value(column.timeField)));
  }
  return row;
}

QString RequestFileName(const QString& subject, const QString& end) {
  const QDateTime at = QDateTime::fromString(end, QStringLiteral("dd/MM/yyyy HH:mm:ss"));
  const QString when = at.isValid() ? at.toString(QStringLiteral(" yyyy-MM-dd HHmm")) : QString();
  return FileNameFrom(subject + when) + QStringLiteral(".csv");
}

}  // namespace logic
