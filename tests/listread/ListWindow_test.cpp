// The list window's controls, tag selection, double-clicks, drops and the editor.
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <stdexcept>

#include "ListWindowFixture.h"
#include "Widgets.h"

namespace listread_test {
namespace {

QRect Twips(int l, int t, int w, int h) {
  return {ui::TwipsToPixels(l), ui::TwipsToPixels(t), ui::TwipsToPixels(w), ui::TwipsToPixels(h)};
}

TEST_F(ListWindow, ControlsStartAsLaidOut) {
  frmListRead& w = *window;
  EXPECT_EQ(w.windowTitle(), "ZNAPI ListRead");
  EXPECT_EQ(w.size(), QSize(ui::TwipsToPixels(8235), ui::TwipsToPixels(4275)));
  const QStringList tips{"Add selected tags", "Add all tags", "Remove selected tags",
                         "Remove all tags"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(w.cmdSelect[i]->toolTip(), tips[i]);
    EXPECT_EQ(w.cmdSelect[i]->geometry(), Twips(2640, 480 + 480 * i, 375, 375));
  }
  // Places inside a frame are relative to the frame.
  EXPECT_EQ(w.txtValue->parentWidget(), w.Frame1);
  EXPECT_EQ(w.txtValue->geometry(), Twips(1080, 480, 2415, 375));
  EXPECT_EQ(w.lblCount[1]->text(), "Count:");
  EXPECT_TRUE(w.optLists[0]->isChecked());
  EXPECT_EQ(w.TargetList, 0);
  for (QListWidget* list : {w.lstAvailable, static_cast<QListWidget*>(w.lstTagNames),
                            static_cast<QListWidget*>(w.lstTagValues)})
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(w.focusWidget(), w.lstTagNames);
  // Enter in the value box must not press a button.
  for (QPushButton* b : w.findChildren<QPushButton*>()) EXPECT_FALSE(b->autoDefault());
}

TEST_F(ListWindow, TabOrderFollowsTheTabPlaces) {
  frmListRead& w = *window;
  const std::vector<QWidget*> expected{
      w.lstTagNames,  w.lstTagValues, w.cmdExit,     w.lstAvailable, w.cmdSelect[0], w.cmdSelect[1],
      w.cmdSelect[2], w.cmdSelect[3], w.cmdClear,    w.cmdAdd,       w.txtValue,     w.cmdWrite,
      w.cmdRead,      w.optLists[0],  w.optLists[1], w.optLists[2],  w.cmdSetValue};
  std::vector<QWidget*> chain;
  QWidget* at = w.lstTagNames;
  do {
    if (std::find(expected.begin(), expected.end(), at) != expected.end()) chain.push_back(at);
    at = at->nextInFocusChain();
  } while (at != w.lstTagNames && chain.size() < 100);
  EXPECT_EQ(chain, expected);
}

TEST_F(ListWindow, FillTagNamesCopiesTheBoxAndLeavesItAsItWas) {
  QComboBox box;
  box.setEditable(true);
  box.addItems({"Alpha", "beta", "Gamma"});
  box.setCurrentIndex(1);
  box.setEditText("typed");
  Fill(window->lstAvailable, {"Delta"});

  window->FillTagNames(&box);

  EXPECT_EQ(Texts(window->lstAvailable), (QStringList{"Alpha", "beta", "Delta", "Gamma"}));
  EXPECT_EQ(box.currentIndex(), 1);
  EXPECT_EQ(box.currentText(), "typed");
  EXPECT_EQ(window->lblCount[0]->text(), "Count: 4");
  EXPECT_EQ(window->lblCount[1]->text(), "Count: 0");
}

TEST_F(ListWindow, FillTagNamesWithAnEmptyBoxShowsZeroCounts) {
  QComboBox box;
  window->FillTagNames(&box);
  EXPECT_EQ(window->lstAvailable->count(), 0);
  EXPECT_EQ(window->lblCount[0]->text(), "Count: 0");
  EXPECT_EQ(window->lblCount[1]->text(), "Count: 0");
}

struct MoveCase {
  const char* name;
  int index;
  std::vector<int> selectAvailable;
  std::vector<int> selectNames;
  QStringList available;
  QStringList names;
};

TEST_F(ListWindow, MoveButtonsMoveAndRefreshBothCounts) {
  const QStringList startAvailable{"a", "B", "c", "D"};
  const QStringList startNames{"b", "x"};
  const MoveCase cases[] = {
      {"> moves the selection", 0, {1, 3}, {}, {"a", "c"}, {"b", "B", "D", "x"}},
      {"> without selection moves nothing", 0, {}, {}, startAvailable, startNames},
      {">> moves all, sorted", 1, {}, {}, {}, {"a", "b", "B", "c", "D", "x"}},
      {"< moves the selection back", 2, {}, {0}, {"a", "B", "b", "c", "D"}, {"x"}},
      {"< without selection moves nothing", 2, {}, {}, startAvailable, startNames},
      {"<< moves all back", 3, {}, {}, {"a", "B", "b", "c", "D", "x"}, {}},
      {"an unknown index moves nothing", 7, {0}, {0}, startAvailable, startNames},
  };
  for (const auto& c : cases) {
    Fill(window->lstAvailable, startAvailable);
    Fill(window->lstTagNames, startNames);
    window->lstAvailable->clearSelection();
    for (int row : c.selectAvailable) window->lstAvailable->item(row)->setSelected(true);
    for (int row : c.selectNames) window->lstTagNames->item(row)->setSelected(true);
    window->lblCount[0]->setText("stale");
    window->lblCount[1]->setText("stale");
    host.pointers.clear();

    window->cmdSelect_Click(c.index);

    EXPECT_EQ(Texts(window->lstAvailable), c.available) << c.name;
    EXPECT_EQ(Texts(window->lstTagNames), c.names) << c.name;
    EXPECT_EQ(window->lblCount[0]->text(), QString("Count: %1").arg(c.available.size())) << c.name;
    EXPECT_EQ(window->lblCount[1]->text(), QString("Count: %1").arg(c.names.size())) << c.name;
    EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}))
        << c.name;
  }
}

TEST_F(ListWindow, ButtonsReachTheirHandlers) {
  Fill(window->lstAvailable, {"a", "b"});
  window->cmdSelect[1]->click();
  EXPECT_EQ(Texts(window->lstTagNames), (QStringList{"a", "b"}));
  window->cmdSelect[3]->click();
  EXPECT_EQ(Texts(window->lstAvailable), (QStringList{"a", "b"}));
}

TEST_F(ListWindow, LargeMovesKeepTheOrderAndTheDestinationsSelection) {
  QStringList names;
  for (int i = 0; i < 100; ++i) names.append(QString("Tag%1").arg(i % 37));  // duplicates
  Fill(window->lstAvailable, names);  // not sorted: the move adds from the last entry up
  QStringList existing{"Tag1", "Tag20", "tag5"};
  Fill(window->lstTagNames, existing);
  window->lstTagNames->item(1)->setSelected(true);
  window->lstTagNames->setCurrentRow(2, QItemSelectionModel::NoUpdate);

  window->cmdSelect_Click(1);

  QStringList reversed(names.crbegin(), names.crend());
  EXPECT_EQ(Texts(window->lstTagNames), InsertOneByOne(existing, reversed));
  const auto selected = SelectedRowsOf(window->lstTagNames);
  ASSERT_EQ(selected.size(), 1u);
  EXPECT_EQ(window->lstTagNames->item(selected[0])->text(), "Tag20");
  EXPECT_EQ(window->lstTagNames->currentItem()->text(), "tag5");
  EXPECT_EQ(window->lstAvailable->count(), 0);
}

TEST_F(ListWindow, LargeMoveIntoAListOutOfOrderMatchesOneByOneInsertion) {
  QStringList names;
  for (int i = 0; i < 40; ++i) names.append(QString("N%1").arg(i, 2, 10, QChar('0')));
  Fill(window->lstAvailable, names);
  Fill(window->lstTagNames, {"N05", "zzz", "N30"});  // "zzz" was set in place

  window->cmdSelect_Click(1);

  QStringList reversed(names.crbegin(), names.crend());
  EXPECT_EQ(Texts(window->lstTagNames), InsertOneByOne({"N05", "zzz", "N30"}, reversed));
}

TEST_F(ListWindow, SelectedMoveOfScatteredRowsRemovesExactlyThose) {
  QStringList names;
  for (int i = 0; i < 30; ++i) names.append(QString("T%1").arg(i, 2, 10, QChar('0')));
  Fill(window->lstTagNames, names);
  for (int row : {0, 1, 2, 7, 20, 29}) window->lstTagNames->item(row)->setSelected(true);

  window->cmdSelect_Click(2);

  EXPECT_EQ(Texts(window->lstAvailable), (QStringList{"T00", "T01", "T02", "T07", "T20", "T29"}));
  EXPECT_EQ(window->lstTagNames->count(), 24);
  for (const char* gone : {"T00", "T01", "T02", "T07", "T20", "T29"})
    EXPECT_FALSE(Texts(window->lstTagNames).contains(gone));
}

class ThrowingHost : public fake::FakeHost {
 public:
  void SetPointer(int p) override {
    FakeHost::SetPointer(p);
    if (p == ui::kPointerHourglass) throw std::runtime_error("Out of memory");
  }
};

TEST_F(ListWindow, AFailedMoveIsReportedAndStillRefreshesTheCounts) {
  ThrowingHost throwing;
  frmListRead w(module, throwing, &status);
  Fill(w.lstAvailable, {"a", "b"});

  w.cmdSelect_Click(1);

  ASSERT_EQ(throwing.boxes.size(), 1u);
  EXPECT_EQ(throwing.boxes[0].text, "Out of memory");
  EXPECT_EQ(throwing.boxes[0].style, ui::kStyleNone);
  EXPECT_EQ(throwing.boxes[0].shownTitle(), "TestZnAPI");
  EXPECT_EQ(throwing.pointer, ui::kPointerDefault);
  EXPECT_EQ(w.lblCount[0]->text(), "Count: 2");
  EXPECT_EQ(w.lblCount[1]->text(), "Count: 0");
}

TEST_F(ListWindow, DoubleClickOnAvailableMovesOnlyASingleSelection) {
  Fill(window->lstAvailable, {"a", "b", "c"});
  Fill(window->lstTagNames, {"B"});
  window->lblCount[0]->setText("Count: 3");

  Select(window->lstAvailable, {0, 2});
  window->lstAvailable_DblClick();
  EXPECT_EQ(window->lstAvailable->count(), 3);

  Select(window->lstAvailable, {1});
  window->lstAvailable_DblClick();
  EXPECT_EQ(Texts(window->lstAvailable), (QStringList{"a", "c"}));
  EXPECT_EQ(Texts(window->lstTagNames), (QStringList{"B", "b"}));
  EXPECT_EQ(window->lblCount[0]->text(), "Count: 3");  // not refreshed

  window->lstAvailable->clearSelection();
  window->lstAvailable_DblClick();
  EXPECT_EQ(window->lstAvailable->count(), 2);
}

TEST_F(ListWindow, DoubleClickOnATagHighlightsItsValueLine) {
  Fill(window->lstTagNames, {"T1", "T2", "T3"});
  Fill(window->lstTagValues, {"1", "2", "3", "4", "5"});
  for (int row : {0, 3, 4}) window->lstTagValues->item(row)->setSelected(true);
  window->lstTagNames->setCurrentRow(1);

  window->lstTagNames_DblClick();

  // Lines beyond the tag count keep their state.
  EXPECT_EQ(SelectedRowsOf(window->lstTagValues), (std::vector<int>{1, 3, 4}));
}

TEST_F(ListWindow, DoubleClickOnATagTouchesOnlyTheValueLinesThereAre) {
  Fill(window->lstTagNames, {"T1", "T2", "T3", "T4"});
  Fill(window->lstTagValues, {"1", "2"});
  window->lstTagValues->item(0)->setSelected(true);

  window->lstTagNames->setCurrentRow(3);
  window->lstTagNames_DblClick();
  EXPECT_TRUE(SelectedRowsOf(window->lstTagValues).empty());

  window->lstTagNames->setCurrentRow(1);
  window->lstTagNames_DblClick();
  EXPECT_EQ(SelectedRowsOf(window->lstTagValues), (std::vector<int>{1}));
}

TEST_F(ListWindow, DoubleClickOnAValueHighlightsItsTag) {
  Fill(window->lstTagNames, {"T1", "T2"});
  Fill(window->lstTagValues, {"1", "", "3"});
  window->lstTagNames->item(0)->setSelected(true);

  window->lstTagValues->setCurrentRow(1);  // an empty line does nothing
  window->lstTagValues_DblClick();
  EXPECT_EQ(SelectedRowsOf(window->lstTagNames), (std::vector<int>{0}));

  window->lstTagValues->setCurrentRow(2);  // beyond the tags: all tags it has are unselected
  window->lstTagValues_DblClick();
  EXPECT_TRUE(SelectedRowsOf(window->lstTagNames).empty());

  window->lstTagValues->setCurrentRow(0);
  window->lstTagValues_DblClick();
  EXPECT_EQ(SelectedRowsOf(window->lstTagNames), (std::vector<int>{0}));
}

QMimeData* TextData(const QString& text) {
  auto* data = new QMimeData;
  data->setText(text);
  return data;
}

TEST_F(ListWindow, DropOnTagNamesAddsSortedAndRefreshesItsCount) {
  Fill(window->lstTagNames, {"M"});
  window->lblCount[0]->setText("untouched");
  std::unique_ptr<QMimeData> data(TextData(" z \r\na\r\n\r\nunfinished"));

  window->lstTagNames_OLEDragDrop(data.get());

  EXPECT_EQ(Texts(window->lstTagNames), (QStringList{"", "a", "M", "z"}));
  EXPECT_EQ(window->lblCount[1]->text(), "Count: 4");
  EXPECT_EQ(window->lblCount[0]->text(), "untouched");
}

TEST_F(ListWindow, DropOnTagValuesAppendsInOrderAndRefreshesNoCount) {
  Fill(window->lstTagValues, {"old"});
  std::unique_ptr<QMimeData> data(TextData("z\r\na\r\n"));
  window->lstTagValues_OLEDragDrop(data.get());
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{"old", "z", "a"}));
  EXPECT_EQ(window->lblCount[1]->text(), "Count:");
}

TEST_F(ListWindow, DropWithoutTextAddsNothing) {
  QMimeData data;
  data.setData("application/octet-stream", "T1\r\nT2\r\n");
  window->lstTagNames_OLEDragDrop(&data);
  window->lstTagValues_OLEDragDrop(&data);
  window->lstTagNames_OLEDragDrop(nullptr);
  EXPECT_EQ(window->lstTagNames->count(), 0);
  EXPECT_EQ(window->lstTagValues->count(), 0);
}

TEST_F(ListWindow, ADragOutOfEitherListDropsBackAsTheSameEntries) {
  Fill(window->lstTagNames, {"A", "b", "C", "d"});
  QList<QListWidgetItem*> picked{window->lstTagNames->item(3), window->lstTagNames->item(1)};
  const QString payload = window->lstTagNames->PayloadOf(picked);
  EXPECT_EQ(payload, "b\r\nd\r\n");  // in list order, each line ended

  std::unique_ptr<QMimeData> data(TextData(payload));
  window->lstTagValues_OLEDragDrop(data.get());
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{"b", "d"}));

  Fill(window->lstTagValues, {" padded", "x"});
  const QString values = window->lstTagValues->PayloadOf(
      {window->lstTagValues->item(0), window->lstTagValues->item(1)});
  std::unique_ptr<QMimeData> back(TextData(values));
  window->lstTagNames_OLEDragDrop(back.get());
  EXPECT_EQ(Texts(window->lstTagNames), (QStringList{"A", "b", "C", "d", "padded", "x"}));
}

TEST_F(ListWindow, ARealDropEventReachesTheHandler) {
  window->show();
  std::unique_ptr<QMimeData> data(TextData("T9\r\n"));
  QWidget* viewport = window->lstTagNames->viewport();
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &drop);
  EXPECT_EQ(Texts(window->lstTagNames), (QStringList{"T9"}));
  EXPECT_EQ(drop.dropAction(), Qt::CopyAction);  // the source keeps its entries

  QMimeData binary;
  binary.setData("application/octet-stream", "x");
  QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &binary, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &refused);
  EXPECT_FALSE(refused.isAccepted());
}

struct EditorCase {
  int target;
  QStringList available, names, values;
};

TEST_F(ListWindow, AddPutsTheTextIntoTheChosenListOnly) {
  const EditorCase cases[] = {
      {0, {"a", "m", "z"}, {"b", "y"}, {"2", "1"}},
      {1, {"a", "z"}, {"b", "m", "y"}, {"2", "1"}},
      {2, {"a", "z"}, {"b", "y"}, {"2", "1", "m"}},
  };
  for (const auto& c : cases) {
    Fill(window->lstAvailable, {"a", "z"});
    Fill(window->lstTagNames, {"b", "y"});
    Fill(window->lstTagValues, {"2", "1"});
    window->optLists[c.target]->click();
    EXPECT_EQ(window->TargetList, c.target);
    window->txtValue->setText("m");
    window->cmdAdd->click();
    EXPECT_EQ(Texts(window->lstAvailable), c.available) << c.target;
    EXPECT_EQ(Texts(window->lstTagNames), c.names) << c.target;
    EXPECT_EQ(Texts(window->lstTagValues), c.values) << c.target;
  }
  EXPECT_EQ(window->lblCount[0]->text(), "Count:");
  EXPECT_EQ(window->lblCount[1]->text(), "Count:");
}

TEST_F(ListWindow, AddWithAnEmptyBoxAddsAnEmptyEntry) {
  window->optLists[1]->click();
  window->cmdAdd_Click();
  EXPECT_EQ(Texts(window->lstTagNames), (QStringList{""}));
}

TEST_F(ListWindow, SetReplacesOnlyASingleSelectedEntryInPlace) {
  window->optLists[2]->setChecked(true);  // the choice follows the button however it moves
  EXPECT_EQ(window->TargetList, 2);
  Fill(window->lstTagValues, {"1", "2", "3"});
  window->txtValue->setText("new");

  window->lstTagValues->clearSelection();
  window->cmdSetValue_Click();
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

TEST_F(ListWindow, ClearEmptiesTheChosenListAndLeavesTheCounts) {
  Fill(window->lstAvailable, {"a"});
  Fill(window->lstTagNames, {"b", "c"});
  window->lblCount[1]->setText("Count: 2");
  window->optLists[1]->click();
  window->cmdClear->click();
  EXPECT_EQ(window->lstTagNames->count(), 0);
  EXPECT_EQ(window->lstAvailable->count(), 1);
  EXPECT_EQ(window->lblCount[1]->text(), "Count: 2");
}

TEST_F(ListWindow, ExitUnloadsEveryList) {
  window->show();
  Fill(window->lstAvailable, {"a"});
  Fill(window->lstTagNames, {"b"});
  Fill(window->lstTagValues, {"1"});
  window->cmdExit->click();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->lstAvailable->count(), 0);
  EXPECT_EQ(window->lstTagNames->count(), 0);
  EXPECT_EQ(window->lstTagValues->count(), 0);
}

TEST_F(ListWindow, EscapeUnloadsToo) {
  window->show();
  Fill(window->lstTagNames, {"b"});
  window->reject();
  EXPECT_EQ(window->lstTagNames->count(), 0);
}

}  // namespace
}  // namespace listread_test
