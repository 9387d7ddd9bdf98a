// Read and Write of the list window against the scripted library.
#include <QTest>

#include "ListWindowFixture.h"
#include "Typing.h"

namespace listread_test {
namespace {

using Writes = std::vector<std::pair<std::string, std::string>>;

const QString kWriteOneSecond = "Status: Writing the list takes about 1 second to 'LOCAL'.";

class ListReadWrite : public ListWindow {
 protected:
  ListReadWrite() { local.tags = {{"T1", "12.5"}, {"T2", "  padded  "}, {"T3", ""}}; }
  Writes writes() const {
    Writes out;
    for (const auto& c : api.callsOf("znTagWrite")) out.emplace_back(c.args[1], c.args[2]);
    return out;
  }
};

TEST_F(ListReadWrite, ReadGivesOneTrimmedLinePerTagInOneListRequest) {
  local.listAddRefused.insert("Gone");
  // A value that fills the whole buffer leaves no NUL: it is the whole buffer, no failure.
  local.tags["Long"] = std::string(300, 'x');
  Fill(window->lstTagNames, {"Gone", "Missing", "T1", "T2", "T3", "Long"});
  Fill(window->lstTagValues, {"typed before"});
  window->lstTagNames->setCurrentRow(3);
  host.clock = {{2024, 3, 15, 10, 30, 0}, {2024, 3, 15, 10, 30, 7}};  // around the adds and read
  window->cmdRead->click();
  EXPECT_EQ(Texts(window->lstTagValues),
            (QStringList{"TAG ADD FAILED: 'Gone'", "TAG READ FAILED: 'Missing'", "12.5", "padded",
                         "", QString(255, 'x')}));
  EXPECT_EQ(window->lstTagNames->currentRow(), 0);
  EXPECT_EQ(status.text(), "Status: Reading the list takes about 7 second(s) from 'LOCAL'.");
  EXPECT_TRUE(host.clock.empty());
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
  // One list, one read, freed; a failed add fetches nothing.
  EXPECT_EQ(api.countOf("znListNew"), 1);
  EXPECT_EQ(api.countOf("znListRead"), 1);
  EXPECT_EQ(api.countOf("znListData"), 5);
  for (const auto& c : api.callsOf("znListData")) EXPECT_EQ(c.args[1], "255");
  EXPECT_TRUE(api.openLists().empty());
  EXPECT_NE(window->ConnectionHandle, 0);
}

TEST_F(ListReadWrite, WithoutTagsOrConnectionNothingIsReadOrWritten) {
  const QString noTags = "TestZnAPI|info|Add tags to the tag read list first!";
  const QString notConnected = "Connection|info|ZNAPI is not connected to Zontra";
  Fill(window->lstTagValues, {"kept"});
  window->cmdRead->click();
  window->cmdWrite->click();
  Fill(window->lstTagNames, {"T1"});
  local.up = false;
  api.reasons = {{"znZncode", "connection to 127.0.0.1:20222 lost"},
                 {"znOpen", "connection refused by 127.0.0.1:20222"}};
  window->cmdRead->click();   // the Write before opened a connection: it is found dead
  window->cmdWrite->click();  // and now it cannot be opened
  EXPECT_EQ(host.shownBoxes(), (QStringList{noTags, noTags, notConnected, notConnected}));
  // The library's reason stands under each box.
  EXPECT_EQ(host.boxes[2].informative, "connection to 127.0.0.1:20222 lost");
  EXPECT_EQ(host.boxes[3].informative, "connection refused by 127.0.0.1:20222");
  EXPECT_EQ(api.countOf("znListNew") + api.countOf("znTagWrite"), 0);
  EXPECT_EQ(Texts(window->lstTagValues), QStringList{"kept"});
  EXPECT_EQ(status.text(), "Status:");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(ListReadWrite, AFailureWhileFetchingKeepsTheLinesAlreadyFetched) {
  Fill(window->lstTagNames, {"T1", "T2", "T3"});
  int data = 0;
  api.onCall = [&](const fake::Call& c) {
    if (c.name == "znListData" && ++data == 2) throw binding::LibraryError("znListData missing");
  };
  window->lstTagNames->setCurrentRow(2);
  window->cmdRead_Click();
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{"12.5"}));
  EXPECT_EQ(host.shownBoxes(), QStringList{"Error|critical|znListData missing"});
  EXPECT_TRUE(api.openLists().empty());
  EXPECT_EQ(window->lstTagNames->currentRow(), 2) << "not moved on failure";
}

TEST_F(ListReadWrite, WriteSendsEachValueLineToTheTagBesideItUpToTheShorterList) {
  struct Case {
    QStringList names, values;
    Writes sent;
  };
  const Case cases[] = {
      {{"T1", "T2", "T3"}, {"1", " two ", ""}, {{"T1", "1"}, {"T2", " two "}, {"T3", ""}}},
      {{"A", "B", "C", "D"}, {"1", "2"}, {{"A", "1"}, {"B", "2"}}},
      {{"A", "B"}, {"1", "2", "3"}, {{"A", "1"}, {"B", "2"}}},
      {{"A"}, {}, {}},
  };
  for (const Case& c : cases) {
    api.calls.clear();
    host.pointers.clear();
    host.clock = {{2024, 3, 15, 10, 30, 58}, {2024, 3, 15, 10, 31, 1}};
    Fill(window->lstTagNames, c.names);
    Fill(window->lstTagValues, c.values);
    window->cmdWrite->click();
    EXPECT_EQ(writes(), c.sent) << c.names.join(",").toStdString();
    EXPECT_EQ(status.text(), "Status: Writing the list takes about 3 second(s) to 'LOCAL'.");
    EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
  }
  EXPECT_EQ(local.tags["T2"], " two ");
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(ListReadWrite, WriteSkipsATagsOwnFailureLineAndCountsWhatWasNotWritten) {
  local.listAddRefused.insert("T2");
  local.writeRefused.insert("T3");
  Fill(window->lstTagNames, {"Missing", "T1", "T2", "T3"});
  window->cmdRead_Click();
  ASSERT_EQ(Texts(window->lstTagValues),
            (QStringList{"TAG READ FAILED: 'Missing'", "12.5", "TAG ADD FAILED: 'T2'", ""}));
  window->cmdWrite_Click();
  EXPECT_EQ(writes(), (Writes{{"T1", "12.5"}, {"T3", ""}})) << "a refused write stops no other";
  EXPECT_EQ(status.text(), kWriteOneSecond + " 3 of 4 tag(s) not written.");
}

TEST_F(ListReadWrite, ReadLeavesTheSelectionAsTheUserMadeIt) {
  Fill(window->lstTagNames, {"T1", "T2", "T3"});
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  const auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
    const QRect place = window->lstTagNames->visualItemRect(window->lstTagNames->item(row));
    QTest::mouseClick(window->lstTagNames->viewport(), Qt::LeftButton, modifiers, place.center());
  };
  click(1, Qt::NoModifier);
  click(2, Qt::ControlModifier);
  QTest::mouseClick(window->cmdRead, Qt::LeftButton);
  EXPECT_EQ(window->lstTagNames->currentRow(), 0);
  EXPECT_EQ(SelectedRowsOf(window->lstTagNames), (std::vector<int>{1, 2}));
  QTest::mouseClick(window->cmdSelect[2], Qt::LeftButton);  // "<"
  EXPECT_EQ(Texts(window->lstTagNames), QStringList{"T1"}) << "only the tags the user picked";
}

TEST_F(ListReadWrite, TextTheLibraryCannotCarryIsRefusedBeforeAnyCall) {
  const QString refused = QStringLiteral(
      "TestZnAPI|info|№ (U+2116) cannot be sent: the library carries "
      "Windows-1252 text");
  Fill(window->lstTagNames, {"T1"});
  window->optLists[2]->click();
  testing_support::TypeText(window->txtValue, QStringLiteral("Café crème №5 €"));
  window->cmdAdd->click();
  window->cmdWrite->click();
  Fill(window->lstTagNames, {QStringLiteral("T№")});
  window->cmdRead->click();
  // The main window's connection boxes, which the list window opens with.
  Fill(window->lstTagNames, {"T1"});
  window->ConnectionTexts = [] { return QStringList{"", "Engineer", QStringLiteral("Marlow№")}; };
  window->cmdRead->click();
  EXPECT_EQ(host.shownBoxes(), (QStringList{refused, refused, refused}));
  EXPECT_TRUE(api.calls.empty());
  EXPECT_EQ(local.tags["T1"], "12.5");
}

}  // namespace
}  // namespace listread_test
