// The real host against the offscreen platform: message boxes and the pointer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>

#include "QtHost.h"

namespace {

// Shows a box through the host, closes it as soon as it is up and says what it looked like:
// icon (0 none, 1 information, 3 critical), title, text, reason as read, buttons, modality.
QString ShowBox(int style, const std::optional<QString>& title, const QString& reason = {}) {
  QString seen;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    QTextDocument rendered;
    rendered.setHtml(box->informativeText());
    const QString shownReason = rendered.toPlainText().replace(QChar::LineSeparator, '\n');
    seen = QString("%1|%2|%3|%4|%5 button|%6")
               .arg(box->icon())
               .arg(box->windowTitle(), box->text(), shownReason)
               .arg(box->buttons().size())
               .arg(box->isModal() ? "modal" : "modeless");
    box->button(QMessageBox::Ok)->click();
  });
  ui::QtHost().MsgBox("Connection failed.", style, title, reason);
  return seen;
}

TEST(QtHost, MessageBoxIconAndTitleFollowTheStyleAndTheReasonIsPlainText) {
  const QString reason = "Primary: login refused for user '<b>Engineer</b>' & more\nStandby: lost";
  EXPECT_EQ(ShowBox(ui::kStyleNone, std::nullopt),
            "0|TestZnAPI|Connection failed.||1 button|modal");
  EXPECT_EQ(ShowBox(ui::kStyleCritical, "Error"), "3|Error|Connection failed.||1 button|modal");
  EXPECT_EQ(ShowBox(ui::kStyleInformation, std::nullopt),
            "1|TestZnAPI|Connection failed.||1 button|modal");
  EXPECT_EQ(ShowBox(ui::kStyleCritical, "ZnAPI Connection", reason),
            "3|ZnAPI Connection|Connection failed.|" + reason + "|1 button|modal")
      << "markup in a server's reason is shown, never obeyed";
}

TEST(QtHost, PointerOverridesAndRestoresTheCursor) {
  ui::QtHost host;
  host.SetPointer(ui::kPointerHourglass);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  EXPECT_EQ(host.Pointer(), ui::kPointerHourglass);

  host.SetPointer(ui::kPointerIcon);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  const QImage icon = QApplication::overrideCursor()->pixmap().toImage();
  int opaque = 0;
  for (int y = 0; y < icon.height(); ++y)
    for (int x = 0; x < icon.width(); ++x) opaque += qAlpha(icon.pixel(x, y)) > 0;
  EXPECT_GT(opaque, 50) << "the icon pointer must be visible";

  host.SetPointer(ui::kPointerHourglass);
  host.SetPointer(ui::kPointerDefault);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "stacked overrides all go";
  EXPECT_EQ(host.Pointer(), ui::kPointerDefault);
}

}  // namespace
