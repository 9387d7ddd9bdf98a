// The list window's controls, tag selection, double-clicks, drops and the editor.
#include <QDropEvent>
#include <QGroupBox>
#include <QMimeData>

#include "ListWindowFixture.h"
#include "Widgets.h"
#include "WindowLayout.h"

namespace listread_test {
namespace {

std::unique_ptr<QMimeData> TextData(const QString& text) {
  auto data = std::make_unique<QMimeData>();
  data->setText(text);
  return data;
}

TEST_F(ListWindow, ControlsStandWhereTheTableOfPlacesPutsThemAndStartAsDesigned) {
  const frmListRead& l = *window;
  testing_support::ExpectPlaces({
      {"lstAvailable", l.lstAvailable, &l, 120, 240, 2415, 2400},
      {"cmdSelect(2)", l.cmdSelect[2], &l, 2640, 1440, 375, 375},
      {"optLists(1)", l.optLists[1], l.Frame1, 2520, 120, 1575, 255},
      {"cmdRead", l.cmdRead, l.Frame2, 240, 480, 855, 375},
      {"cmdExit", l.cmdExit, &l, 7200, 3840, 855, 375},
  });
  EXPECT_EQ(l.size(), QSize(ui::TwipsToPixels(8235), ui::TwipsToPixels(4275)));
  EXPECT_TRUE(l.optLists[0]->isChecked());
  EXPECT_EQ(l.TargetList, 0);
}

TEST_F(ListWindow, MoveButtonsMoveAndRefreshBothCounts) {
  struct Case {
    const char* name;
    int index;
    std::vector<int> selectAvailable, selectNames;
    QStringList available, names;
  };
  const QStringList startAvailable{"a", "B", "c", "D"};
  const QStringList startNames{"b", "x"};
  const Case cases[] = {
      {"> moves the selection", 0, {1, 3}, {}, {"a", "c"}, {"b", "B", "D", "x"}},
      {"> without selection moves nothing", 0, {}, {}, startAvailable, startNames},
      {">> moves all, sorted", 1, {}, {}, {}, {"a", "b", "B", "c", "D", "x"}},
      {"< moves the selection back", 2, {}, {0}, {"a", "B", "b", "c", "D"}, {"x"}},
      {"<< moves all back", 3, {}, {}, {"a", "B", "b", "c", "D", "x"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(window->lstAvailable, startAvailable);
    Fill(window->lstTagNames, startNames);
    for (int row : c.selectAvailable) window->lstAvailable->item(row)->setSelected(true);
    for (int row : c.selectNames) window->lstTagNames->item(row)->setSelected(true);
    host.pointers.clear();
    window->cmdSelect[c.index]->click();
    EXPECT_EQ(Texts(window->lstAvailable), c.available);
    EXPECT_EQ(Texts(window->lstTagNames), c.names);
    EXPECT_EQ(window->lblCount[0]->text(), QString("Count: %1").arg(c.available.size()));
    EXPECT_EQ(window->lblCount[1]->text(), QString("Count: %1").arg(c.names.size()));
    EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
  }
}

TEST_F(ListWindow, LargeMovesMatchOneByOneInsertionAndKeepTheDestinationsSelection) {
  QStringList names;
  for (int i = 0; i < 100; ++i) names.append(QString("Tag%1").arg(i % 37));  // duplicates
  const QStringList reversed(names.crbegin(), names.crend());  // added from the last entry up
  Fill(window->lstAvailable, names);
  const QStringList existing{"Tag1", "Tag20", "tag5"};
  Fill(window->lstTagNames, existing);
  window->lstTagNames->item(1)->setSelected(true);
  window->lstTagNames->setCurrentRow(2, QItemSelectionModel::NoUpdate);
  window->cmdSelect_Click(1);
  QStringList expected = InsertOneByOne(existing, reversed);
  EXPECT_EQ(Texts(window->lstTagNames), expected);
  const auto selected = SelectedRowsOf(window->lstTagNames);
  ASSERT_EQ(selected.size(), 1u);
  EXPECT_EQ(window->lstTagNames->item(selected[0])->text(), "Tag20");
  EXPECT_EQ(window->lstTagNames->currentItem()->text(), "tag5");

  // Moving scattered rows back removes exactly those.
  window->lstTagNames->clearSelection();
  QStringList picked;
  for (int row : {102, 20, 7, 2, 1, 0}) {
    window->lstTagNames->item(row)->setSelected(true);
    picked << expected.takeAt(row);
  }
  window->cmdSelect_Click(2);
  EXPECT_EQ(Texts(window->lstTagNames), expected);
  EXPECT_EQ(Texts(window->lstAvailable), InsertOneByOne({}, picked));

  // A list put out of order by Set still gets the places one-by-one insertion gives.
  Fill(window->lstAvailable, names);
  Fill(window->lstTagNames, {"Tag05", "zzz", "Tag30"});
  window->cmdSelect_Click(1);
  EXPECT_EQ(Texts(window->lstTagNames), InsertOneByOne({"Tag05", "zzz", "Tag30"}, reversed));
}

TEST_F(ListWindow, DoubleClickOnAvailableMovesOnlyASingleSelection) {
  Fill(window->lstAvailable, {"a", "b", "c"});
  Fill(window->lstTagNames, {"B"});
  window->lblCount[0]->setText("Count: 3");
  Select(window->lstAvailable, {0, 2});
  window->lstAvailable_DblClick();
  window->lstAvailable->clearSelection();
  window->lstAvailable_DblClick();
  EXPECT_EQ(window->lstAvailable->count(), 3);
  Select(window->lstAvailable, {1});
  window->lstAvailable_DblClick();
  EXPECT_EQ(Texts(window->lstAvailable), (QStringList{"a", "c"}));
  EXPECT_EQ(Texts(window->lstTagNames), (QStringList{"B", "b"}));
  EXPECT_EQ(window->lblCount[0]->text(), "Count: 3") << "not refreshed";
}

TEST_F(ListWindow, DoubleClickOnATagOrAValueHighlightsOnlyItsPartnerAmongThoseThereAre) {
  Fill(window->lstTagNames, {"T1", "T2", "T3", "T4"});
  Fill(window->lstTagValues, {"1", "2", "3", "4", "5"});
  Select(window->lstTagValues, {0, 4});
  window->lstTagNames->setCurrentRow(1);
  window->lstTagNames_DblClick();
  // Lines beyond the tag count keep their state.
  EXPECT_EQ(SelectedRowsOf(window->lstTagValues), (std::vector<int>{1, 4}));

  Fill(window->lstTagNames, {"T1", "T2"});
  Fill(window->lstTagValues, {"1", "2", "3"});
  Select(window->lstTagNames, {0});
  window->lstTagValues->setCurrentRow(2);  // beyond the tags: all tags it has are unselected
  window->lstTagValues_DblClick();
  EXPECT_TRUE(SelectedRowsOf(window->lstTagNames).empty());
  window->lstTagValues->setCurrentRow(1);
  window->lstTagValues_DblClick();
  EXPECT_EQ(SelectedRowsOf(window->lstTagNames), (std::vector<int>{1}));
}

TEST_F(ListWindow, DragsCarryEntriesInListOrderAndDropsAddSortedTagsOrAppendValues) {
  Fill(window->lstTagNames, {"A", "b", "M"});
  EXPECT_EQ(
      window->lstTagNames->PayloadOf({window->lstTagNames->item(2), window->lstTagNames->item(0)}),
      "A\r\nM\r\n");
  Fill(window->lstTagValues, {"old"});
  window->lblCount[0]->setText("untouched");
  window->show();
  const auto data = TextData(" z \r\na\r\n\r\nunfinished");
  QWidget* viewport = window->lstTagNames->viewport();
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &drop);
  EXPECT_EQ(drop.dropAction(), Qt::CopyAction);  // the source keeps its entries
  window->lstTagValues_OLEDragDrop(TextData("z\r\na\r\n").get());
  EXPECT_EQ(Texts(window->lstTagNames), (QStringList{"", "A", "a", "b", "M", "z"}));
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{"old", "z", "a"}));
  EXPECT_EQ(window->lblCount[1]->text(), "Count: 6");
  EXPECT_EQ(window->lblCount[0]->text(), "untouched");
}

TEST_F(ListWindow, AddAndClearActOnTheChosenListOnlyAndLeaveTheCounts) {
  QListWidget* const lists[] = {window->lstAvailable, window->lstTagNames, window->lstTagValues};
  const QStringList before[] = {{"a", "z"}, {"b", "y"}, {"2", "1"}};
  const QStringList added[] = {{"a", "m", "z"}, {"b", "m", "y"}, {"2", "1", "m"}};
  window->txtValue->setText("m");
  for (int target : {0, 1, 2}) {
    SCOPED_TRACE(target);
    for (int i = 0; i < 3; ++i) Fill(lists[i], before[i]);
    window->optLists[target]->click();
    EXPECT_EQ(window->TargetList, target);
    window->cmdAdd->click();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Texts(lists[i]), i == target ? added[i] : before[i]);
    window->cmdClear->click();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lists[i]->count(), i == target ? 0 : 2);
  }
  EXPECT_EQ(window->lblCount[0]->text(), "Count:");
  EXPECT_EQ(window->lblCount[1]->text(), "Count:");
}

TEST_F(ListWindow, SetReplacesOnlyASingleSelectedEntryInPlace) {
  window->optLists[2]->setChecked(true);  // the choice follows the button however it moves
  Fill(window->lstTagValues, {"1", "2", "3"});
  window->txtValue->setText("new");
  Select(window->lstTagValues, {0, 2});
  window->cmdSetValue_Click();
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{"1", "2", "3"}));
  Select(window->lstTagValues, {1});
  window->cmdSetValue->click();
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{"1", "new", "3"}));

  // In a sorted list too the entry stays where it is.
  window->optLists[0]->click();
  Fill(window->lstAvailable, {"a", "b"});
  Select(window->lstAvailable, {0});
  window->cmdSetValue_Click();
  EXPECT_EQ(Texts(window->lstAvailable), (QStringList{"new", "b"}));
}

}  // namespace
}  // namespace listread_test
