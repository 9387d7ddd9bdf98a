// The device query: one row per record of the named device, the values of its fields
// separated by tabs.
#include <string>
#include <utility>

#include "Host.h"
#include "PaneTable.h"
#include "PeriodTiming.h"
#include "RecordCsv.h"
#include "RecordCursor.h"
#include "TextValues.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

void frmTestConnection::QueryDevice(std::int32_t handle, const QString& deviceName) {
  binding::RecordCursor find(module().api(), handle, logic::ToAnsi(deviceName));
  if (!find.Found()) {
    host().MsgBox(QStringLiteral("Failed to load device '") + deviceName + QStringLiteral("'!"),
                  ui::kStyleInformation, std::nullopt, logic::FromAnsi(find.Failure()));
    return;
  }
  logic::PaneTable& table = ResetPaneTable();
  SetPaneFile({logic::RequestFileName(deviceName, logic::FormatPeriodText(requestStart_))});
  // Every record is read with the first record's field count.
  const logic::DeviceFieldCount fields = logic::ReadDeviceFieldCount(
      logic::FieldValue(find.Field("object.fields.Count"), logic::ValueRule::Untrimmed));
  if (!fields.ok()) {
    host().MsgBox(fields.failure, ui::kStyleNone);
    return;
  }
  QStringList columns;  // the first record's fields name the columns
  bool firstRecord = true;
  ShowRecords(find, nullptr, [&] {
    for (std::int16_t index = 0; index < fields.value; ++index) {
      const QString name =
          logic::FieldValue(find.Field("object.fields(" + std::to_string(index + 1) + ").Name"),
                            logic::ValueRule::Untrimmed);
      // A value the library cannot supply leaves no column behind.
      const binding::FieldBuffer value = find.Field(logic::ToAnsi(name));
      if (value.result == 0) continue;
      table.AddValue(logic::FieldValue(value, logic::ValueRule::Trimmed), QLatin1String("\t"));
      if (firstRecord) columns << name;
    }
    if (std::exchange(firstRecord, false)) table.SetColumns(columns);
    table.Append(u"\r\n");
  });
}
