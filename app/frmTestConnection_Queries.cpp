// The alarm queries: the alarms active now and the alarm summary over the request period,
// one row of text per record.
#include <QLabel>
#include <span>

#include "Host.h"
#include "PaneRowWriter.h"
#include "PaneTable.h"
#include "QueryTexts.h"
#include "RecordCursor.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace {

void WriteAlarmRows(frmTestConnection& w, std::int32_t handle, const QString& query,
                    std::span<const logic::FieldLayout> layout) {
  logic::RecordCursor find(w.module().api(), handle, query);
  if (!find.Found()) {
    w.host().MsgBox(QStringLiteral("Failed find any alarms!"), ui::kStyleInformation, std::nullopt,
                    logic::FromAnsi(find.Failure()));
    return;
  }
  w.txtRequestedData->setText(QString());
  logic::PaneTable& table = w.ResetPaneTable(logic::FieldNames(layout));
  ui::PaneRowWriter out(*w.txtRequestedData, w.lblRequestCount);
  QString row;
  QString value;
  do {
    table.BeginRow(row, out.End());
    for (const logic::FieldLayout& field : layout) {
      find.Read(field.name, field.rule, value);
      table.AddValue(row, value, QLatin1String(field.separator));
    }
    out.AppendRow(row);
    w.host().DoEvents();
    if (w.CloseRequested()) break;
  } while (find.Next());
}

}  // namespace

void frmTestConnection::QueryActiveAlarms(std::int32_t handle) {
  WriteAlarmRows(*this, handle, logic::ActiveAlarmsQuery(), logic::kActiveAlarmRow);
}

void frmTestConnection::QueryAlarmSummary(std::int32_t handle) {
  WriteAlarmRows(*this, handle, logic::AlarmSummaryQuery(RequestStartText, RequestEndText),
                 logic::kAlarmSummaryRow);
}
