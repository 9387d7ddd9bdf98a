// Read and Write of the list window against the scripted library.
#include "ListWindowFixture.h"

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
  Fill(window->lstTagNames, {"Gone", "Missing", "T1", "T2", "T3"});
  Fill(window->lstTagValues, {"typed before"});
  window->lstTagNames->setCurrentRow(3);
  host.clock = {{2024, 3, 15, 10, 30, 0}, {2024, 3, 15, 10, 30, 7}};  // around the adds and read
  window->cmdRead->click();
  EXPECT_EQ(
      Texts(window->lstTagValues),
      (QStringList{"TAG ADD FAILED: 'Gone'", "TAG READ FAILED: 'Missing'", "12.5", "padded", ""}));
  EXPECT_EQ(window->lstTagNames->currentRow(), 0);
  EXPECT_EQ(status.text(), "Status: Reading the list takes about 7 second(s) from 'LOCAL'.");
  EXPECT_TRUE(host.clock.empty());
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
  // One list, one read, freed; a failed add fetches nothing.
  EXPECT_EQ(api.countOf("znListNew"), 1);
  EXPECT_EQ(api.countOf("znListRead"), 1);
  EXPECT_EQ(api.countOf("znListData"), 4);
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
  window->cmdRead->click();
  window->cmdWrite->click();
  EXPECT_EQ(host.shownBoxes(), (QStringList{noTags, noTags, notConnected, notConnected}));
  EXPECT_EQ(api.countOf("znListNew") + api.countOf("znTagWrite"), 0);
  EXPECT_EQ(Texts(window->lstTagValues), QStringList{"kept"});
  EXPECT_EQ(status.text(), "Status:");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(ListReadWrite, AValueThatFillsTheWholeBufferIsShownWhole) {
  // The library may leave no NUL when the value fills the buffer: the value is then the
  // whole buffer, not a failure of the read.
  local.tags["Long"] = std::string(300, 'x');
  Fill(window->lstTagNames, {"Long", "T1"});
  window->cmdRead_Click();
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{QString(255, 'x'), "12.5"}));
  EXPECT_TRUE(host.boxes.empty());
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

}  // namespace
}  // namespace listread_test
