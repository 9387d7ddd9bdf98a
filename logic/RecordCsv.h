#pragma once
/// The file of an alarm query, one layout for the window's Save... and zncheck's CSV: a date
/// field followed by its time field ("Date" and "Time", "OnDate" and "OnTime") is one ISO 8601
/// timestamp column with its offset, named after what the two share ("time", "on"); every
/// other field keeps its column under its name in lower case.
#include <QString>
#include <QStringList>
#include <span>
#include <vector>

#include "QueryTexts.h"

namespace logic {

struct RecordCsvColumn {
  QString name;
  int field = 0;       // index in the layout of the field, or of the date of a timestamp
  int timeField = -1;  // index of the time that joins the date; -1 for a plain field
};

std::vector<RecordCsvColumn> RecordCsvColumns(std::span<const FieldLayout> layout);

QStringList RecordCsvHeader(const std::vector<RecordCsvColumn>& columns);

/// A row of the file from a record's values in the layout's order.
QStringList RecordCsvRow(const std::vector<RecordCsvColumn>& columns, const QStringList& values);

/// The name the save dialog proposes for a request about `subject` ending at `end` (the
/// period text "dd/mm/yyyy HH:mm:ss"): "TREND1 2026-12-08 1450.csv". Characters that file
/// systems refuse become "_".
QString RequestFileName(const QString& subject, const QString& end);

}  // namespace logic
