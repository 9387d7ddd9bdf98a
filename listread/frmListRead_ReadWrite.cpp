// Read: all tags of the selected list in one list request, one value line per tag.
// Write: each value line to the tag at the same position, one tag write per pair.
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "Host.h"
#include "ListBoxes.h"
#include "ListHandle.h"
#include "ListTexts.h"
#include "PeriodTiming.h"
#include "SendableText.h"
#include "TextDragList.h"
#include "TextValues.h"
#include "basZNAPI.h"
#include "frmListRead.h"

namespace {

const QString kNoTags = QStringLiteral("Add tags to the tag read list first!");
const QString kNotConnected = QStringLiteral("ZNAPI is not connected to Zontra");
const QString kConnectionTitle = QStringLiteral("Connection");
const QString kErrorTitle = QStringLiteral("Error");

QString Description(const std::exception& e) {
  return QString::fromLocal8Bit(e.what());
}

// The line the list shows for what a tag's read gave.
QString ValueLine(const binding::ListValue& value, const QString& tag) {
  switch (value.outcome) {
    case binding::ListValue::Outcome::Read:
      return logic::TrimBlanks(logic::FromAnsi(value.text));
    case binding::ListValue::Outcome::NotRead:
      return listread::TagReadFailedLine(tag);
    case binding::ListValue::Outcome::NotAdded:
      break;
  }
  return listread::TagAddFailedLine(tag);
}

}  // namespace

QString frmListRead::ServerName() const {
  return logic::FromAnsi(module_.ServerName());
}

bool frmListRead::Sendable(QStringList texts) {
  if (ConnectionTexts) texts += ConnectionTexts();
  return logic::Sendable(host_, texts);
}

void frmListRead::cmdRead_Click() {
  const QStringList tags = listread::EntryTexts(lstTagNames);
  if (!Sendable(tags)) return;
  binding::ListReading reading;
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
        std::vector<std::string> ansiTags;
        ansiTags.reserve(static_cast<std::size_t>(tags.size()));
        for (const QString& tag : tags) ansiTags.push_back(logic::ToAnsi(tag));
        binding::ListHandle list(module_.api(), ConnectionHandle);
        list.Read(ansiTags, reading, [this] { return host_.Now().ToSeconds(); });
      }
    }
  } catch (const std::exception& e) {
    failure = Description(e);
  }
  if (reading.seconds) {
    SetStatus(logic::TimingMessage(QStringLiteral("Status: Reading the list"),
                                   QStringLiteral("from"), *reading.seconds, ServerName()));
  }
  QStringList lines;  // shown together: one insertion instead of one per tag
  lines.reserve(static_cast<qsizetype>(reading.values.size()));
  for (std::size_t i = 0; i < reading.values.size(); ++i)
    lines.append(ValueLine(reading.values[i], tags[static_cast<qsizetype>(i)]));
  lstTagValues->addItems(lines);  // after a failure, the lines fetched before it stay
  if (failure) {
    host_.MsgBox(*failure, ui::kStyleCritical, kErrorTitle);
  } else if (!reading.values.empty()) {
    // Current, not selected: a "<" after the read must move only the tags the user picked.
    lstTagNames->setCurrentRow(0, QItemSelectionModel::NoUpdate);
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
            !module_.WriteTag(ConnectionHandle, logic::ToAnsi(tag), logic::ToAnsi(value)))
          ++notWritten;
      }
      const ui::LocalDateTime end = host_.Now();
      const QString timing =
          logic::TimingMessage(QStringLiteral("Status: Writing the list"), QStringLiteral("to"),
                               logic::ElapsedSeconds(start, end), ServerName());
      SetStatus(listread::WriteStatusText(timing, notWritten, pairs));
    }
  } catch (const std::exception& e) {
    host_.MsgBox(Description(e), ui::kStyleCritical, kErrorTitle);
  }
  host_.SetPointer(ui::kPointerDefault);
}
