// The real host against the offscreen platform: message boxes and the pointer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>

#include "QtHost.h"

namespace {

TEST(QtHost, MessageBoxIconAndTitleFollowTheStyle) {
  ui::QtHost host;
  // Icons: 0 none, 1 information, 3 critical.
  const std::tuple<int, std::optional<QString>, QString> cases[] = {
      {ui::kStyleNone, std::nullopt, "0|TestZnAPI|Connection failed.|1 button|modal"},
      {ui::kStyleCritical, "Error", "3|Error|Connection failed.|1 button|modal"},
      {ui::kStyleInformation, std::nullopt, "1|TestZnAPI|Connection failed.|1 button|modal"},
  };
  for (const auto& [style, title, expected] : cases) {
    QString seen;
    // Closes the box as soon as it is shown and says what it looked like.
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      seen = QString("%1|%2|%3|%4 button|%5")
                 .arg(box->icon())
                 .arg(box->windowTitle(), box->text())
                 .arg(box->buttons().size())
                 .arg(box->isModal() ? "modal" : "modeless");
      box->button(QMessageBox::Ok)->click();
    });
    host.MsgBox("Connection failed.", style, title);
    EXPECT_EQ(seen, expected) << style;
  }
}

TEST(QtHost, TheReasonStandsUnderTheTextAsPlainText) {
  ui::QtHost host;
  const QString reason = "Primary: login refused for user '<b>Engineer</b>' & more\nStandby: lost";
  QString text, shown;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    text = box->text();
    QTextDocument rendered;
    rendered.setHtml(box->informativeText());
    shown = rendered.toPlainText().replace(QChar::LineSeparator, QLatin1Char('\n'));
    box->button(QMessageBox::Ok)->click();
  });
  host.MsgBox("Connection failed.", ui::kStyleCritical, "ZnAPI Connection", reason);
  EXPECT_EQ(text, "Connection failed.");
  EXPECT_EQ(shown, reason) << "markup in a server's reason is shown, never obeyed";
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
