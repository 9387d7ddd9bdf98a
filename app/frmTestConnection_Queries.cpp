// The record queries' shared loop, and the alarm queries: the alarms active now and the alarm
// summary over the request period, one row of text per record.
#include <QLabel>
#include <span>

#include "Host.h"
#include "PaneRowWriter.h"
#include "PaneTable.h"
#include "PeriodTiming.h"
#include "QueryTexts.h"
#include "RecordCsv.h"
#include "RecordCursor.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace {

void WriteAlarmRows(frmTestConnection& w, std::int32_t handle, const QString& query,
                    std::span<const logic::FieldLayout> layout, const QString& fileName) {
  binding::RecordCursor find(w.module().api(), handle, logic::ToAnsi(query));
  if (!find.Found()) {
    w.host().MsgBox(QStringLiteral("Failed find any alarms!"), ui::kStyleInformation, std::nullopt,
                    logic::FromAnsi(find.Failure()));
    return;
  }
  logic::PaneTable& table = w.ResetPaneTable(logic::FieldNames(layout));
  const auto columns = logic::RecordCsvColumns(layout);
  w.SetPaneFile(
      {fileName, [columns] { return logic::RecordCsvHeader(columns); },
       [columns](const QStringList& values) { return logic::RecordCsvRow(columns, values); }});
  w.ShowRecords(find, w.lblRequestCount, [&] {
    for (const logic::FieldLayout& field : layout) {
      table.AddValue(logic::FieldValue(find.Field(field.name), field.rule),
                     QLatin1String(field.separator));
    }
  });
}

}  // namespace

void frmTestConnection::ShowRecords(binding::RecordCursor& find, QLabel* countLabel,
                                    const std::function<void()>& writeRow,
                                    const std::function<bool()>& stop) {
  ui::PaneRowWriter out(*txtRequestedData, countLabel);
  find.Walk([&] {
    txtRequestedData->table().BeginRow();
    writeRow();
    out.RowWritten();
    host().DoEventsPaced();
    return !CloseRequested() && !(stop && stop());
  });
}

void frmTestConnection::QueryActiveAlarms(std::int32_t handle) {
  WriteAlarmRows(*this, handle, logic::ActiveAlarmsQuery(), logic::kActiveAlarmRow,
                 logic::RequestFileName(QStringLiteral("Active alarms"),
                                        logic::FormatPeriodText(requestStart_)));
}

void frmTestConnection::QueryAlarmSummary(std::int32_t handle) {
  WriteAlarmRows(*this, handle, logic::AlarmSummaryQuery(RequestStartText, RequestEndText),
                 logic::kAlarmSummaryRow,
                 logic::RequestFileName(QStringLiteral("Alarm summary"), RequestEndText));
}
