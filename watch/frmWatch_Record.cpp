// Record...: the watch written to CSV, every cycle or only changes, into one file or into
// files rotated every hour or every N megabytes.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "Host.h"
#include "WatchTableModel.h"
#include "frmWatch.h"

namespace watch {

namespace {

// What the user chooses before a recording starts; nothing when cancelled.
std::optional<logic::RecordingChoice> AskRecording(QWidget* parent, ui::Host& host) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Record Watch"));
  auto* form = new QFormLayout(&dialog);
  auto* path = new QLineEdit(&dialog);
  path->setMinimumWidth(320);
  auto* browse = new QPushButton(QStringLiteral("Browse..."), &dialog);
  browse->setAutoDefault(false);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(path, 1);
  fileRow->addWidget(browse);
  form->addRow(QStringLiteral("&File:"), fileRow);
  auto* every = new QRadioButton(QStringLiteral("&Every cycle"), &dialog);
  auto* changes = new QRadioButton(QStringLiteral("Only &changes"), &dialog);
  every->setChecked(true);
  auto* whatRow = new QHBoxLayout;
  whatRow->addWidget(every);
  whatRow->addWidget(changes);
  form->addRow(QStringLiteral("Record:"), whatRow);
  auto* rotation = new QComboBox(&dialog);
  rotation->addItems({QStringLiteral("None: one file"), QStringLiteral("Every hour"),
                      QStringLiteral("Every N MB")});
  auto* megabytes = new QSpinBox(&dialog);
  megabytes->setRange(1, 100000);
  megabytes->setValue(100);
  megabytes->setSuffix(QStringLiteral(" MB"));
  megabytes->setEnabled(false);
  auto* rotateRow = new QHBoxLayout;
  rotateRow->addWidget(rotation, 1);
  rotateRow->addWidget(megabytes);
  form->addRow(QStringLiteral("&New file:"), rotateRow);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  QObject::connect(rotation, &QComboBox::currentIndexChanged, megabytes,
                   [megabytes](int index) { megabytes->setEnabled(index == 2); });
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    if (const auto chosen = host.SaveFileName(QStringLiteral("Record Watch"), path->text(),
                                              QStringLiteral("CSV file (*.csv)")))
      path->setText(*chosen);
  });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    if (!path->text().isEmpty()) dialog.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  logic::RecordingChoice choice{path->text(), changes->isChecked()};
  if (rotation->currentIndex() == 1) choice.rotation = logic::RecordingChoice::Rotation::Hourly;
  if (rotation->currentIndex() == 2) {
    choice.rotation = logic::RecordingChoice::Rotation::BySize;
    choice.maxBytes = std::int64_t{megabytes->value()} * 1024 * 1024;
  }
  return choice;
}

}  // namespace

void frmWatch::cmdRecord_Click() {
  if (recorder_) {
    StopRecording(QString());
    return;
  }
  if (const auto choice = AskRecording(this, host_)) StartRecording(*choice);
}

void frmWatch::StartRecording(const logic::RecordingChoice& choice) {
  recorder_ = std::make_unique<logic::WatchRecorder>(choice, model_->tags());
  recordingStopped_.clear();
  cmdRecord->setText(QStringLiteral("Stop Recording"));
  lblStatus->setText(QStringLiteral("Recording from the next cycle"));
}

QString frmWatch::RecordingFile() const {
  return recorder_ ? recorder_->file() : QString();
}

// A failed write ends the recording, never the watch; the reason stays in the status line.
void frmWatch::StopRecording(const QString& reason) {
  recorder_.reset();
  recordingStopped_ = reason;
  cmdRecord->setText(QStringLiteral("Record..."));
  if (!reason.isEmpty()) lblStatus->setText(QStringLiteral("Recording stopped: ") + reason);
}

}  // namespace watch
