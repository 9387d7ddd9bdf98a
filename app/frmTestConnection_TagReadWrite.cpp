// Single tag read and write: the smallest complete road from the window to the server.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <type_traits>
#include <variant>

#include "Host.h"
#include "PeriodTiming.h"
#include "SendableText.h"
#include "TextValues.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmTestConnection.h"

namespace {

const QString kNoTagSelected = QStringLiteral("No tag is selected!");

// A number in the host's plain form (12.50 -> "12.5", 007 -> "7"); a text as read.
QString ValueText(const binding::TagValue& value) {
  return std::visit(
      [](const auto& v) -> QString {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, double>)
          return QString::number(v, 'g', 15);
        else if constexpr (std::is_same_v<T, std::string>)
          return logic::FromAnsi(v);
        else
          return QString();
      },
      value);
}

}  // namespace

void frmTestConnection::cmdRead_Click() {
  if (Busy()) return;
  const QString tag = cboTagNames[0]->currentText();
  if (tag.isEmpty()) {
    host().MsgBox(kNoTagSelected, ui::kStyleInformation, QStringLiteral("Tag Read"));
    host().SetPointer(ui::kPointerDefault);
    return;
  }
  if (!logic::Sendable(host(), {tag})) return;
  const auto connection = OpenHandlerConnection(ConnectionTest::NonZero, ui::kPointerDefault);
  if (!connection) return;
  const std::int32_t handle = *connection;

  const ui::LocalDateTime start = host().Now();
  const binding::TagValue value = module().ReadTagValue(handle, logic::ToAnsi(tag));
  if (std::holds_alternative<std::monostate>(value)) {
    ui::SetCaption(lblStatus,
                   QStringLiteral("Status: reading ") + tag + QStringLiteral(" failed."));
    txtValue->clear();
  } else {
    txtValue->setText(ValueText(value));
    const ui::LocalDateTime end = host().Now();
    ui::SetCaption(lblStatus, logic::TimingMessage(
                                  QStringLiteral("Status: Reading ") + tag, QStringLiteral("from"),
                                  logic::ElapsedSeconds(start, end), ServerName()));
  }
  host().SetPointer(ui::kPointerDefault);
}

void frmTestConnection::cmdWrite_Click() {
  if (Busy()) return;
  const QString tag = cboTagNames[0]->currentText();
  if (tag.isEmpty()) {
    host().MsgBox(kNoTagSelected, ui::kStyleInformation, QStringLiteral("Tag Write"));
    return;
  }
  // Sent changed, the value would be written as '?' and reported as written.
  if (!logic::Sendable(host(), {tag, txtValue->text()})) return;
  const auto connection = OpenHandlerConnection(ConnectionTest::NonZero, ui::kPointerDefault);
  if (!connection) return;

  // The write call itself can meet a missing entry point; it is reported like a missing
  // library at connect time, and the program carries on.
  try {
    if (module().WriteTag(*connection, logic::ToAnsi(tag), logic::ToAnsi(txtValue->text()))) {
      ui::SetCaption(lblStatus, QStringLiteral("Status: Writing to ") + tag +
                                    QStringLiteral(" is successful to '") + ServerName() +
                                    QStringLiteral("'."));
    } else {
      ui::SetCaption(lblStatus,
                     QStringLiteral("Status: Writing to ") + tag + QStringLiteral(" failed."));
    }
  } catch (const std::exception& e) {
    ReportLibraryError(e);
  }
  host().SetPointer(ui::kPointerDefault);
}
