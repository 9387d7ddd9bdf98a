// Load Tags: fills the tag, alarm and trend boxes from the server's browse tables, one name
// at a time, with the progress strip and the window kept responsive between names.
#include <QComboBox>
#include <QLabel>
#include <array>

#include "Host.h"
#include "QueryTexts.h"
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
  server::ZnApi& api = module().api();

  std::int32_t search = 0;
  try {
    std::int32_t object = 0;
    search = api.znFindFirst(handle, source.table, logic::kNameListFilter, &object, 0);
    if (search == 0) {
      host().MsgBox(logic::NoNamesFoundText(source.kindWord), ui::kStyleInformation, std::nullopt,
                    logic::FromAnsi(api.LastReason()));
      return;
    }
    const std::int32_t total = api.znFindScroll(search, 4, 0, &object);
    const float scale = logic::ProgressScale(picProgress->ScaleWidth(), total);
    api.znFindScroll(search, 3, 0, &object);

    box->clear();
    const QString status = QString::fromLatin1(source.statusText);
    std::int32_t added = 0;
    ui::SortedBoxBatch names(box);
    while (added < logic::kNameListCap) {
      std::array<char, logic::kNameBufferLength> name{};
      std::int32_t length = 0;
      // A failed read leaves the buffer empty; the empty name is still listed, so the box
      // keeps one entry per record.
      api.znGetProperty(object, source.property, name.data(), logic::kNameBufferLength, &length,
                        logic::kPropertyAsText);
      names.add(logic::NameFromBuffer(name.data(), name.size()));
      ++added;
      ShowProgress(added, scale, status);
      host().DoEvents();
      if (CloseRequested()) break;
      if (api.znFindNext(search, &object) == 0) break;
    }
    names.flush();
    const std::int32_t finished = search;
    search = 0;
    api.znFindClose(finished);
    ui::SetCaption(lblTotalTagCount[listIndex], logic::NameCountCaption(total));
  } catch (const std::exception& e) {
    // A search left open would hold its records on the server for the rest of the session.
    if (search != 0) {
      try {
        api.znFindClose(search);
      } catch (const std::exception&) {
        // The box below already reports why the library is unusable.
      }
    }
    host().MsgBox(QString::fromLocal8Bit(e.what()), ui::kStyleNone);
  }
}
