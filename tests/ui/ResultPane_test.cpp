// The result pane: exact text with CR LF, and a display that catches up when events run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

#include "Widgets.h"

namespace {

QString Shown(const ui::ResultPane& pane) {
  return pane.view()->toPlainText();
}

// The display catches up within moments once events run; the deadline only guards a hang.
::testing::AssertionResult ShowsSoon(const ui::ResultPane& pane, const QString& expected) {
  if (QTest::qWaitFor([&] { return Shown(pane) == expected; }, 10000))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "shown: \"" << Shown(pane).toStdString() << '"';
}

TEST(ResultPane, KeepsTheTextExactlyShowsItWithoutCarriageReturnsAndReplacesItWhole) {
  ui::ResultPane pane;
  pane.append("first\r");
  pane.append("\nsecond\r\n");
  EXPECT_TRUE(ShowsSoon(pane, "first\nsecond\n"));
  // A line end split between two updates of the display is still one line end.
  pane.append("third\r");
  pane.flush();
  EXPECT_EQ(Shown(pane), "first\nsecond\nthird") << "flush shows pending text at once";
  pane.append("\nfourth");
  EXPECT_TRUE(ShowsSoon(pane, "first\nsecond\nthird\nfourth"));
  EXPECT_EQ(pane.text(), "first\r\nsecond\r\nthird\r\nfourth");
  // Text not shown yet must not outlive a replacement.
  pane.append("pending\r\n");
  pane.setText("new\r\ntext");
  EXPECT_EQ(pane.text(), "new\r\ntext");
  EXPECT_TRUE(ShowsSoon(pane, "new\ntext"));
  EXPECT_TRUE(pane.view()->isReadOnly());
  EXPECT_TRUE(QFontInfo(pane.view()->font()).fixedPitch())
      << QFontInfo(pane.view()->font()).family().toStdString();
}

TEST(ResultPane, RowsWithEventsAfterEachAreShownInBatches) {
  ui::ResultPane pane;
  pane.show();
  QSignalSpy updates(pane.view()->document(), &QTextDocument::contentsChange);
  QString expected;
  constexpr int kRows = 2000;
  for (int i = 0; i < kRows; ++i) {
    const QString row = QString::number(i) + "\r\n";
    pane.append(row);
    expected += row;
    QApplication::processEvents();  // as a query loop does after every row
  }
  EXPECT_EQ(pane.text(), expected);
  EXPECT_TRUE(ShowsSoon(pane, QString(expected).remove('\r')));
  // Each update costs a redraw; one per row made long queries crawl.
  EXPECT_LT(updates.count(), kRows / 4);
}

}  // namespace
