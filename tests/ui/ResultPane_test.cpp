// The result pane: its table's lines shown without carriage returns once refreshed, selected
// with the mouse and the keyboard as in a read-only text box, and started over with the table.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QScrollBar>
#include <QTest>

#include "PaneView.h"
#include "Widgets.h"

namespace {

struct Pane : ::testing::Test {
  ui::ResultPane pane;
  ui::PaneView& view = *pane.view();
  logic::PaneTable& table = pane.table();

  Pane() {
    pane.resize(400, 200);
    pane.show();
  }
  QWidget* viewport() { return view.viewport(); }
  QPoint At(qsizetype line, int column) { return view.PointAt({line, column}); }
};

TEST_F(Pane, ShowsTheLinesOnRefreshWithoutCarriageReturns) {
  EXPECT_TRUE(QFontInfo(view.font()).fixedPitch()) << QFontInfo(view.font()).family().toStdString();
  table.Append(u"first\r");
  pane.Refresh();
  table.Append(u"\nsecond\r\n");  // a line end split between two pieces is one line end
  EXPECT_EQ(view.LineCount(), 1) << "lines arrive with a refresh";
  pane.Refresh();
  EXPECT_EQ(view.LineCount(), 3);
  EXPECT_EQ(pane.text(), "first\r\nsecond\r\n");
  view.setFocus();
  QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(view.SelectedText(), "first\nsecond\n");
}

TEST_F(Pane, TheMouseSelectsByDragShiftClickAndDoubleClick) {
  table.Append(u"first line\r\nsecond\tline\r\n");
  pane.Refresh();
  QTest::mousePress(viewport(), Qt::LeftButton, Qt::NoModifier, At(0, 2));
  QTest::mouseMove(viewport(), At(1, 3));
  QTest::mouseRelease(viewport(), Qt::LeftButton, Qt::NoModifier, At(1, 3));
  EXPECT_EQ(view.SelectedText(), "rst line\nsec");
  EXPECT_EQ(view.SelectionStart(), (ui::PanePosition{0, 2}));
  EXPECT_EQ(view.SelectionEnd(), (ui::PanePosition{1, 3}));

  QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ShiftModifier, At(1, 9));
  EXPECT_EQ(view.SelectedText(), "rst line\nsecond\tli") << "past a tab stop too";

  QTest::mouseDClick(viewport(), Qt::LeftButton, Qt::NoModifier, At(1, 2));
  EXPECT_EQ(view.SelectedText(), "second");

  table.Reset();
  table.Append(u"new");
  pane.Refresh();
  EXPECT_FALSE(view.HasSelection()) << "a new request drops the old selection";
}

TEST_F(Pane, ScrollsToTheLastOfManyLinesAndAcrossALongOne) {
  for (int line = 0; line < 10'000; ++line)
    table.Append(QString::number(line) + QStringLiteral("\r\n"));
  table.Append(QString(500, QLatin1Char('x')));
  pane.Refresh();
  EXPECT_EQ(view.verticalScrollBar()->value(), 0);
  view.setFocus();
  QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
  const QPoint last = At(10'000, 0);
  EXPECT_TRUE(viewport()->rect().contains(last)) << last.y();
  QTest::mouseDClick(viewport(), Qt::LeftButton, Qt::NoModifier, At(9'999, 1));
  EXPECT_EQ(view.SelectedText(), "9999") << "the line under the pointer is the one drawn there";
  EXPECT_GT(view.horizontalScrollBar()->maximum(), 0) << "the long line can be scrolled to";
}

}  // namespace
