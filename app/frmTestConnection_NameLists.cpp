// Load Tags: fills the tag, alarm and trend boxes from the server's browse tables, one name
// at a time, with the progress strip and the window kept responsive between names.
#include <QComboBox>
#include <QLabel>

#include "Host.h"
#include "QueryTexts.h"
#include "RecordCursor.h"
#include "SortedBoxBatch.h"
#include "TextValues.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

void frmTestConnection::cmdLoadZontraSchema_Click() {
  if (Busy()) return;
  // Names are added while events run; a nested Load, Read or Request must not touch the
  // boxes meanwhile, and a close waits for the current name.
  BusyScope scope(*this);
  const auto connection = OpenHandlerConnection(ConnectionTest::Positive, ui::kPointerIcon);
  if (!connection) return;

  picProgress->show();
  for (QLabel* label : lblTotalTagCount) label->hide();
  for (std::int16_t list = 0; list < static_cast<std::int16_t>(lblTotalTagCount.size()); ++list) {
    if (CloseRequested()) break;
    picProgress->Clear();
    LoadNameList(list, *connection);
    lblTotalTagCount[list]->show();
  }
  picProgress->hide();
  host().SetPointer(ui::kPointerIcon);
}

void frmTestConnection::LoadNameList(std::int16_t listIndex, std::int32_t handle) {
  const logic::NameListSource& source = logic::kNameLists.at(listIndex);
  QComboBox* box = cboTagNames.at(listIndex);
  try {
    // Closed however the load ends: a search left open would hold its records on the server
    // for the rest of the session.
    binding::RecordCursor find(module().api(), handle, source.table);
    if (!find.Found()) {
      host().MsgBox(logic::NoNamesFoundText(source.kindWord), ui::kStyleInformation, std::nullopt,
                    logic::FromAnsi(find.Failure()));
      return;
    }
    const std::int32_t total = find.Count();
    const float scale = logic::ProgressScale(picProgress->ScaleWidth(), total);
    find.First();

    box->clear();
    const QString status = QString::fromLatin1(source.statusText);
    std::int32_t added = 0;
    ui::SortedBoxBatch names(box);
    find.Walk([&] {
      // A failed read leaves the buffer empty; the empty name is still listed, so the box
      // keeps one entry per record.
      names.add(logic::NameFromBuffer(find.Field(source.property)));
      ++added;
      ShowProgress(added, scale, status);
      host().DoEventsPaced();
      return added < logic::kNameListCap && !CloseRequested();
    });
    names.flush();
    find.Close();
    ui::SetCaption(lblTotalTagCount[listIndex], logic::NameCountCaption(total));
  } catch (const std::exception& e) {
    host().MsgBox(QString::fromLocal8Bit(e.what()), ui::kStyleNone);
  }
}
