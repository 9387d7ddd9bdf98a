// The device query: one row per record of the named device, the values of its fields
// separated by tabs.
#include <string>
#include <utility>

#include "Host.h"
#include "PaneRowWriter.h"
#include "PaneTable.h"
#include "RecordCursor.h"
#include "TextValues.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

void frmTestConnection::QueryDevice(std::int32_t handle, const QString& deviceName) {
  logic::RecordCursor find(module().api(), handle, deviceName);
  if (!find.Found()) {
    host().MsgBox(QStringLiteral("Failed to load device '") + deviceName + QStringLiteral("'!"),
                  ui::kStyleInformation, std::nullopt, logic::FromAnsi(find.Failure()));
    return;
  }
  txtRequestedData->setText(QString());
  logic::PaneTable& table = ResetPaneTable();
  // Every record is read with the first record's field count.
  QString countText;
  find.Read("object.fields.Count", logic::ValueRule::Untrimmed, countText);
  const logic::DeviceFieldCount fields = logic::ReadDeviceFieldCount(countText);
  if (!fields.ok()) {
    host().MsgBox(fields.failure, ui::kStyleNone);
    return;
  }
  ui::PaneRowWriter out(*txtRequestedData, nullptr);
  QString row;
  QString name;
  QString value;
  QStringList columns;  // the first record's fields name the columns
  bool firstRecord = true;
  do {
    table.BeginRow(row, out.End());
    for (std::int16_t index = 0; index < fields.value; ++index) {
      find.Read("object.fields(" + std::to_string(index + 1) + ").Name",
                logic::ValueRule::Untrimmed, name);
      // A value the library cannot supply leaves no column behind.
      if (find.Read(logic::ToAnsi(name), logic::ValueRule::Trimmed, value) == 0) continue;
      table.AddValue(row, value, QLatin1String("\t"));
      if (firstRecord) columns << name;
    }
    if (std::exchange(firstRecord, false)) table.SetColumns(columns);
    row += QLatin1String("\r\n");
    out.AppendRow(row);
    host().DoEvents();
    if (CloseRequested()) break;
  } while (find.Next());
}
