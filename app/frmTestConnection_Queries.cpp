// The alarm queries: the alarms active now and the alarm summary over the request period,
// one row of text per record.
#include <QLabel>
#include <span>

#include "Host.h"
#include "PaneRowWriter.h"
#include "QueryText.h"
#include "RecordCursor.h"
#include "RowLayout.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace {

void WriteAlarmRows(frmTestConnection& w, std::int32_t handle, const QString& query,
                    std::span<const app::FieldLayout> layout) {
  app::FindCursor find(w.module().api(), handle, query);
  if (!find.Found()) {
    w.host().MsgBox(QStringLiteral("Failed find any alarms!"), ui::kStyleInformation);
    return;
  }
  w.txtRequestedData->setText(QString());
  app::PaneRowWriter out(*w.txtRequestedData, w.lblRequestCount);
  QString row;
  QString value;
  do {
    row.clear();
    for (const app::FieldLayout& field : layout) {
      find.Read(field.name, field.rule, value);
      row += value;
      row += QLatin1String(field.separator);
    }
    out.AppendRow(row);
    w.host().DoEvents();
    if (w.CloseRequested()) break;
  } while (find.Next());
}

}  // namespace

void frmTestConnection::QueryActiveAlarms(std::int32_t handle) {
  WriteAlarmRows(*this, handle, app::ActiveAlarmsQuery(), app::kActiveAlarmRow);
}

void frmTestConnection::QueryAlarmSummary(std::int32_t handle) {
  WriteAlarmRows(*this, handle, app::AlarmSummaryQuery(RequestStartText, RequestEndText),
                 app::kAlarmSummaryRow);
}
