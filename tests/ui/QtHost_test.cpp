// The real host against the offscreen platform: boxes, pointer and clock.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "QtHost.h"

namespace {

struct SeenBox {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString title;
  QString text;
  int buttons = 0;
  bool modal = false;
};

// Closes the next box as soon as it is shown and says what it looked like.
SeenBox ShowAndClose(ui::QtHost& host, const QString& text, int style,
                     const std::optional<QString>& title) {
  SeenBox seen;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen = {box->icon(), box->windowTitle(), box->text(), int(box->buttons().size()),
            box->isModal()};
    box->button(QMessageBox::Ok)->click();
  });
  host.MsgBox(text, style, title);
  return seen;
}

TEST(QtHost, MessageBoxIconAndTitleFollowTheStyle) {
  ui::QtHost host;
  struct Case {
    int style;
    std::optional<QString> title;
    QMessageBox::Icon icon;
    QString shownTitle;
  };
  const Case cases[] = {
      {ui::kStyleNone, std::nullopt, QMessageBox::NoIcon, "TestZnAPI"},
      {ui::kStyleCritical, QString("Error"), QMessageBox::Critical, "Error"},
      {ui::kStyleInformation, std::nullopt, QMessageBox::Information, "TestZnAPI"},
  };
  for (const auto& c : cases) {
    const SeenBox seen = ShowAndClose(host, "Connection failed.", c.style, c.title);
    EXPECT_EQ(seen.icon, c.icon) << c.style;
    EXPECT_EQ(seen.title, c.shownTitle) << c.style;
    EXPECT_EQ(seen.text, "Connection failed.");
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_TRUE(seen.modal);
  }
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
  ASSERT_FALSE(icon.isNull());
  int opaque = 0;
  for (int y = 0; y < icon.height(); ++y)
    for (int x = 0; x < icon.width(); ++x) opaque += qAlpha(icon.pixel(x, y)) > 0;
  EXPECT_GT(opaque, 50);

  host.SetPointer(ui::kPointerHourglass);
  host.SetPointer(ui::kPointerDefault);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(host.Pointer(), ui::kPointerDefault);
}

TEST(QtHost, NowIsTheLocalClockToTheSecond) {
  ui::QtHost host;
  const QDateTime before = QDateTime::currentDateTime();
  const ui::LocalDateTime now = host.Now();
  const QDateTime after = QDateTime::currentDateTime();
  const auto seconds = [](const QDateTime& t) {
    const QDate d = t.date();
    const QTime c = t.time();
    return ui::LocalDateTime{d.year(), d.month(), d.day(), c.hour(), c.minute(), c.second()}
        .ToSeconds();
  };
  EXPECT_TRUE(now.IsValid());
  EXPECT_GE(now.ToSeconds(), seconds(before));
  EXPECT_LE(now.ToSeconds(), seconds(after));
}

}  // namespace
