#include "QtHost.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>

namespace ui {

namespace {

QMessageBox::Icon IconForStyle(int style) {
  // The icon is the style's 0x70 field; other bits would choose buttons, and there is
  // only ever OK.
  switch (style & 0x70) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// A framed square: dark rim and light face, so it shows on dark and light backgrounds alike.
QCursor IconCursor() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  painter.drawRect(1, 1, 13, 13);
  painter.setPen(Qt::darkGray);
  painter.drawRect(4, 4, 7, 7);
  painter.end();
  return QCursor(pixmap, 8, 8);
}

void ShowOverride(const QCursor& cursor) {
  if (QApplication::overrideCursor())
    QApplication::changeOverrideCursor(cursor);
  else
    QApplication::setOverrideCursor(cursor);
}

}  // namespace

void QtHost::MsgBox(const QString& text, int style, const std::optional<QString>& title,
                    const QString& informative) {
  QMessageBox box(IconForStyle(style), title.value_or(kApplicationTitle), text, QMessageBox::Ok,
                  QApplication::activeWindow());
  // The reason comes from a server: shown as text, never read as markup of its own.
  if (!informative.isEmpty()) {
    box.setInformativeText(
        QStringLiteral("<small>") +
        informative.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")) +
        QStringLiteral("</small>"));
  }
  box.exec();
}

void QtHost::SetPointer(int pointer) {
  switch (pointer) {
    case kPointerHourglass:
      ShowOverride(QCursor(Qt::WaitCursor));
      break;
    case kPointerIcon:
      ShowOverride(IconCursor());
      break;
    default:
      // Overrides stack; the default pointer means none of them is left.
      while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
      pointer = kPointerDefault;
      break;
  }
  pointer_ = pointer;
}

LocalDateTime QtHost::Now() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return LocalDateTime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

void QtHost::DoEvents() {
  QCoreApplication::processEvents();
}

std::chrono::milliseconds QtHost::Uptime() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

std::optional<QString> QtHost::SaveFileName(const QString& title, const QString& suggestedPath,
                                            const QString& filters) {
  const QString path =
      QFileDialog::getSaveFileName(QApplication::activeWindow(), title, suggestedPath, filters);
  if (path.isEmpty()) return std::nullopt;
  return path;
}

}  // namespace ui
