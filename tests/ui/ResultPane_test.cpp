// The result pane: exact text with CR LF, and a display that catches up when events run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "Widgets.h"

namespace {

QString Shown(const ui::ResultPane& pane) {
  return pane.view()->toPlainText();
}

TEST(ResultPane, KeepsTheTextExactlyAsAppended) {
  ui::ResultPane pane;
  pane.append("Tag\tValue\r\n");
  pane.append("T1\t12.5\r");
  pane.append("\nT2\t \r\n");
  EXPECT_EQ(pane.text(), "Tag\tValue\r\nT1\t12.5\r\nT2\t \r\n");
}

TEST(ResultPane, DisplayCatchesUpWhenEventsRun) {
  ui::ResultPane pane;
  pane.append("first\r");
  pane.append("\nsecond\r\n");
  QApplication::processEvents();
  EXPECT_EQ(Shown(pane), "first\nsecond\n");
  EXPECT_EQ(pane.view()->blockCount(), 3);

  pane.append("third");
  QApplication::processEvents();
  EXPECT_EQ(Shown(pane), "first\nsecond\nthird");

  // A line end split between two flushes is still one line end.
  pane.append("\r");
  QApplication::processEvents();
  pane.append("\nfourth");
  QApplication::processEvents();
  EXPECT_EQ(Shown(pane), "first\nsecond\nthird\nfourth");
  EXPECT_EQ(pane.view()->blockCount(), 4);
}

TEST(ResultPane, ManyAppendsArriveWholeAndInOrder) {
  ui::ResultPane pane;
  QString expected;
  for (int i = 0; i < 3000; ++i) {
    const QString row = QString::number(i) + "\r\n";
    pane.append(row);
    expected += row;
    if (i % 700 == 0) QApplication::processEvents();
  }
  QApplication::processEvents();
  EXPECT_EQ(pane.text(), expected);
  EXPECT_EQ(Shown(pane), QString(expected).remove('\r'));
}

TEST(ResultPane, SetTextReplacesEverythingIncludingWhatWasNotShownYet) {
  ui::ResultPane pane;
  pane.append("old rows\r\n");
  QApplication::processEvents();
  pane.append("pending\r\n");
  pane.setText("new\r\ntext");
  QApplication::processEvents();
  EXPECT_EQ(pane.text(), "new\r\ntext");
  EXPECT_EQ(Shown(pane), "new\ntext");

  pane.setText(QString());
  QApplication::processEvents();
  EXPECT_EQ(Shown(pane), QString());
}

TEST(ResultPane, FlushShowsPendingTextAtOnce) {
  ui::ResultPane pane;
  pane.append("now\r\n");
  pane.flush();
  EXPECT_EQ(Shown(pane), "now\n");
  QApplication::processEvents();  // the queued flush finds nothing left to do
  EXPECT_EQ(Shown(pane), "now\n");
}

TEST(ResultPane, DisplayIsReadOnlyFixedPitchWithoutWrapping) {
  ui::ResultPane pane;
  QPlainTextEdit* view = pane.view();
  EXPECT_TRUE(view->isReadOnly());
  EXPECT_EQ(view->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_TRUE(QFontInfo(view->font()).fixedPitch())
      << QFontInfo(view->font()).family().toStdString();
  EXPECT_DOUBLE_EQ(view->font().pointSizeF(), 8.25);
}

}  // namespace
