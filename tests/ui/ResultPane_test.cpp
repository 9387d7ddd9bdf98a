// The result pane: exact text with CR LF, shown at once without carriage returns.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QPlainTextEdit>

#include "Widgets.h"

namespace {

TEST(ResultPane, KeepsTheTextExactlyShowsItWithoutCarriageReturnsAndReplacesItWhole) {
  ui::ResultPane pane;
  const auto shown = [&] { return pane.view()->toPlainText(); };
  pane.append("first\r");
  EXPECT_EQ(shown(), "first");
  pane.append("\nsecond\r\n");  // a line end split between two pieces is one line end
  EXPECT_EQ(shown(), "first\nsecond\n");
  EXPECT_EQ(pane.text(), "first\r\nsecond\r\n");
  pane.setText("new\r\ntext");
  EXPECT_EQ(pane.text(), "new\r\ntext");
  EXPECT_EQ(shown(), "new\ntext");
  EXPECT_TRUE(pane.view()->isReadOnly());
  EXPECT_TRUE(QFontInfo(pane.view()->font()).fixedPitch())
      << QFontInfo(pane.view()->font()).family().toStdString();
}

}  // namespace
