// Read: all tags of the selected list in one list request, one value line per tag.
// Write: each value line to the tag at the same position, one tag write per pair.
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <array>
#include <exception>
#include <optional>
#include <vector>

#include "Host.h"
#include "ListBoxes.h"
#include "ListTexts.h"
#include "PeriodTiming.h"
#include "SendableText.h"
#include "TextDragList.h"
#include "TextValues.h"
#include "basZNAPI.h"
#include "frmListRead.h"

namespace {

constexpr std::int32_t kValueLength = 255;
const QString kNoTags = QStringLiteral("Add tags to the tag read list first!");
const QString kNotConnected = QStringLiteral("ZNAPI is not connected to Zontra");
const QString kConnectionTitle = QStringLiteral("Connection");
const QString kErrorTitle = QStringLiteral("Error");

QString Description(const std::exception& e) {
  return QString::fromLocal8Bit(e.what());
}

}  // namespace

bool frmListRead::Sendable(QStringList texts) {
  if (ConnectionTexts) texts += ConnectionTexts();
  return logic::Sendable(host_, texts);
}

void frmListRead::cmdRead_Click() {
  const QStringList tags = listread::EntryTexts(lstTagNames);
  if (!Sendable(tags)) return;
  server::ZnApi& api = module_.api();
  std::int32_t list = 0;
  QStringList lines;  // shown together: one insertion instead of one per tag
  std::optional<QString> failure;
  try {
    if (tags.isEmpty()) {
      host_.MsgBox(kNoTags, ui::kStyleInformation);
    } else {
      host_.SetPointer(ui::kPointerHourglass);
      ConnectionHandle = module_.GetConnection();
      if (ConnectionHandle == 0) {
        host_.MsgBox(kNotConnected, ui::kStyleInformation, kConnectionTitle,
                     logic::FromAnsi(module_.ConnectionFailure()));
      } else {
        lstTagValues->clear();
        list = api.znListNew(ConnectionHandle, 0);
        std::vector<std::int32_t> items(static_cast<std::size_t>(tags.size()), 0);
        const ui::LocalDateTime start = host_.Now();
        for (qsizetype i = 0; i < tags.size(); ++i)
          items[static_cast<std::size_t>(i)] = api.znListAdd(list, logic::ToAnsi(tags[i]).c_str());
        api.znListRead(list, 0);
        const ui::LocalDateTime end = host_.Now();
        SetStatus(logic::FromAnsi(logic::TimingMessage("Status: Reading the list", "from",
                                                       logic::ElapsedSeconds(start, end),
                                                       module_.ServerName())));
        lines.reserve(tags.size());
        for (qsizetype i = 0; i < tags.size(); ++i) {
          const std::int32_t item = items[static_cast<std::size_t>(i)];
          if (item == 0) {
            lines.append(listread::TagAddFailedLine(tags[i]));
            continue;
          }
          std::array<char, kValueLength> value{};
          if (api.znListData(item, value.data(), kValueLength, 0) != 0)
            lines.append(logic::TrimBlanks(logic::BufferText(value.data(), value.size())));
          else
            lines.append(listread::TagReadFailedLine(tags[i]));
        }
        lstTagValues->addItems(lines);
        lines.clear();
        // Current, not selected: a "<" after the read must move only the tags the user picked.
        lstTagNames->setCurrentRow(0, QItemSelectionModel::NoUpdate);
      }
    }
  } catch (const std::exception& e) {
    failure = Description(e);
  }
  if (failure) {
    lstTagValues->addItems(lines);  // the lines fetched before the failure stay
    host_.MsgBox(*failure, ui::kStyleCritical, kErrorTitle);
  }
  try {
    api.znListFree(list);
  } catch (const std::exception& e) {
    if (!failure) host_.MsgBox(Description(e), ui::kStyleCritical, kErrorTitle);
  }
  host_.SetPointer(ui::kPointerDefault);
}

void frmListRead::cmdWrite_Click() {
  const int paired = std::min(lstTagNames->count(), lstTagValues->count());
  QStringList sent;
  for (int i = 0; i < paired; ++i)
    sent << lstTagNames->item(i)->text() << lstTagValues->item(i)->text();
  // A value sent changed would be written as '?' and counted as written.
  if (!Sendable(sent)) return;
  try {
    int pairs = lstTagNames->count();
    // Asked even with no tags: pressing Write may open or re-open the connection.
    ConnectionHandle = module_.GetConnection();
    if (pairs == 0) {
      host_.MsgBox(kNoTags, ui::kStyleInformation);
    } else if (ConnectionHandle == 0) {
      host_.MsgBox(kNotConnected, ui::kStyleInformation, kConnectionTitle,
                   logic::FromAnsi(module_.ConnectionFailure()));
    } else {
      pairs = std::min(pairs, lstTagValues->count());
      host_.SetPointer(ui::kPointerHourglass);
      const ui::LocalDateTime start = host_.Now();
      int notWritten = 0;
      for (int i = 0; i < pairs; ++i) {
        const QString tag = lstTagNames->item(i)->text();
        const QString value = lstTagValues->item(i)->text();
        // A failure line is what a read left behind, never a value meant for the plant.
        if (listread::IsFailureLineOf(value, tag) ||
            module_.api().znTagWrite(ConnectionHandle, logic::ToAnsi(tag).c_str(),
                                     logic::ToAnsi(value).c_str()) == 0)
          ++notWritten;
      }
      const ui::LocalDateTime end = host_.Now();
      const QString timing = logic::FromAnsi(logic::TimingMessage("Status: Writing the list", "to",
                                                                  logic::ElapsedSeconds(start, end),
                                                                  module_.ServerName()));
      SetStatus(listread::WriteStatusText(timing, notWritten, pairs));
    }
  } catch (const std::exception& e) {
    host_.MsgBox(Description(e), ui::kStyleCritical, kErrorTitle);
  }
  host_.SetPointer(ui::kPointerDefault);
}
