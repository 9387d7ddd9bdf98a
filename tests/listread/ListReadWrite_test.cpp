// Read and Write of the list window against the scripted library.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ListWindowFixture.h"

namespace listread_test {
namespace {

const QString kReadOneSecond = "Status: Reading the list takes about 1 second from 'LOCAL'.";
const QString kWriteOneSecond = "Status: Writing the list takes about 1 second to 'LOCAL'.";

class ListReadWrite : public ListWindow {
 protected:
  void SetUp() override {
    auto& tags = api.server("").tags;
    tags["T1"] = "12.5";
    tags["T2"] = "  padded  ";
    tags["T3"] = "";
  }
  std::vector<std::pair<std::string, std::string>> Writes() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& c : api.callsOf("znTagWrite")) out.emplace_back(c.args[1], c.args[2]);
    return out;
  }
};

TEST_F(ListReadWrite, ReadGivesOneTrimmedLinePerTagInOrder) {
  api.server("").listAddRefused.insert("Gone");
  Fill(window->lstTagNames, {"Gone", "Missing", "T1", "T2", "T3"});
  Fill(window->lstTagValues, {"typed before"});
  window->lstTagNames->setCurrentRow(3);

  window->cmdRead->click();

  EXPECT_EQ(
      Texts(window->lstTagValues),
      (QStringList{"TAG ADD FAILED: 'Gone'", "TAG READ FAILED: 'Missing'", "12.5", "padded", ""}));
  EXPECT_EQ(window->lstTagNames->currentRow(), 0);
  EXPECT_EQ(status.text(), kReadOneSecond);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(host.pointers.front(), ui::kPointerHourglass);
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
  // One list, one read, freed; a failed add fetches nothing.
  EXPECT_EQ(api.countOf("znListNew"), 1);
  EXPECT_EQ(api.countOf("znListRead"), 1);
  EXPECT_EQ(api.countOf("znListData"), 4);
  for (const auto& c : api.callsOf("znListData")) EXPECT_EQ(c.args[1], "255");
  EXPECT_TRUE(api.openLists().empty());
  ASSERT_EQ(api.countOf("znListFree"), 1);
  EXPECT_EQ(api.callsOf("znListFree")[0].args[0], api.callsOf("znListRead")[0].args[0]);
  EXPECT_NE(window->ConnectionHandle, 0);
}

TEST_F(ListReadWrite, ReadTimesTheAddsAndTheReadOnly) {
  Fill(window->lstTagNames, {"T1"});
  host.clock = {{2024, 3, 15, 10, 30, 0}, {2024, 3, 15, 10, 30, 7}};
  window->cmdRead_Click();
  EXPECT_EQ(status.text(), "Status: Reading the list takes about 7 second(s) from 'LOCAL'.");
  EXPECT_TRUE(host.clock.empty());
}

TEST_F(ListReadWrite, ReadNamesTheServerThatAnswered) {
  module.table().Computer[0] = "plant-a";
  api.server("plant-a").tags["T1"] = "1";
  Fill(window->lstTagNames, {"T1"});
  window->cmdRead_Click();
  EXPECT_EQ(status.text(), "Status: Reading the list takes about 1 second from 'plant-a'.");
}

TEST_F(ListReadWrite, ReadWithoutTagsAsksNothingButStillFreesTheEmptyList) {
  Fill(window->lstTagValues, {"kept"});
  window->cmdRead_Click();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "Add tags to the tag read list first!");
  EXPECT_EQ(host.boxes[0].style, ui::kStyleInformation);
  EXPECT_EQ(host.boxes[0].shownTitle(), "TestZnAPI");
  EXPECT_EQ(api.countOf("znOpen"), 0);
  ASSERT_EQ(api.countOf("znListFree"), 1);
  EXPECT_EQ(api.callsOf("znListFree")[0].args[0], "0");
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{"kept"}));
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
  EXPECT_EQ(status.text(), "Status:");
}

TEST_F(ListReadWrite, ReadWithoutConnectionKeepsTheValuesAndTheStatus) {
  api.server("").up = false;
  Fill(window->lstTagNames, {"T1"});
  Fill(window->lstTagValues, {"kept"});
  window->cmdRead_Click();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "ZNAPI is not connected to Zontra");
  EXPECT_EQ(host.boxes[0].title, "Connection");
  EXPECT_EQ(host.boxes[0].style, ui::kStyleInformation);
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{"kept"}));
  EXPECT_EQ(status.text(), "Status:");
  EXPECT_EQ(api.countOf("znListNew"), 0);
  EXPECT_EQ(api.callsOf("znListFree").at(0).args[0], "0");
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
  EXPECT_EQ(window->ConnectionHandle, 0);
}

TEST_F(ListReadWrite, AValueThatFillsTheWholeBufferIsShownWhole) {
  // The library may leave no NUL when the value fills the buffer: the value is then the
  // whole buffer, not a failure of the read.
  const std::string full(300, 'x');
  api.server("").tags["Long"] = full;
  Fill(window->lstTagNames, {"Long", "T1"});
  window->cmdRead_Click();
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{QString(255, 'x'), "12.5"}));
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(ListReadWrite, AMissingLibraryIsReportedAndTheReadEndsCleanly) {
  api.missingLibrary = "libznapi.so: cannot open shared object file";
  Fill(window->lstTagNames, {"T1"});
  Fill(window->lstTagValues, {"kept"});
  window->cmdRead_Click();
  ASSERT_EQ(host.boxes.size(), 1u);  // reported once, though freeing fails too
  EXPECT_EQ(host.boxes[0].text, "libznapi.so: cannot open shared object file");
  EXPECT_EQ(host.boxes[0].style, ui::kStyleCritical);
  EXPECT_EQ(host.boxes[0].title, "Error");
  EXPECT_EQ(api.countOf("znListFree"), 1);
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{"kept"}));
}

TEST_F(ListReadWrite, AFailureWhileFetchingKeepsTheLinesAlreadyFetched) {
  Fill(window->lstTagNames, {"T1", "T2", "T3"});
  int data = 0;
  api.onCall = [&](const fake::Call& c) {
    if (c.name == "znListData" && ++data == 2) throw server::LibraryError("znListData missing");
  };
  window->lstTagNames->setCurrentRow(2);
  window->cmdRead_Click();
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{"12.5"}));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "znListData missing");
  EXPECT_EQ(host.boxes[0].title, "Error");
  EXPECT_TRUE(api.openLists().empty());
  EXPECT_EQ(window->lstTagNames->currentRow(), 2);  // not moved on failure
}

TEST_F(ListReadWrite, WriteSendsEachValueLineToItsTag) {
  Fill(window->lstTagNames, {"T1", "T2", "T3"});
  Fill(window->lstTagValues, {"1", " two ", ""});
  window->cmdWrite->click();
  EXPECT_EQ(Writes(), (std::vector<std::pair<std::string, std::string>>{
                          {"T1", "1"}, {"T2", " two "}, {"T3", ""}}));
  EXPECT_EQ(api.server("").tags["T2"], " two ");
  EXPECT_EQ(status.text(), kWriteOneSecond);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
}

TEST_F(ListReadWrite, WriteStopsAtTheShorterList) {
  Fill(window->lstTagNames, {"A", "B", "C", "D", "E"});
  Fill(window->lstTagValues, {"1", "2", "3"});
  host.clock = {{2024, 3, 15, 10, 30, 58}, {2024, 3, 15, 10, 31, 1}};
  window->cmdWrite_Click();
  EXPECT_EQ(Writes(),
            (std::vector<std::pair<std::string, std::string>>{{"A", "1"}, {"B", "2"}, {"C", "3"}}));
  EXPECT_EQ(status.text(), "Status: Writing the list takes about 3 second(s) to 'LOCAL'.");

  Fill(window->lstTagNames, {"A", "B"});
  Fill(window->lstTagValues, {"1", "2", "3", "4"});
  api.calls.clear();
  window->cmdWrite_Click();
  EXPECT_EQ(Writes().size(), 2u);
}

TEST_F(ListReadWrite, WriteWithNoValueLinesWritesNothingButReportsTheTiming) {
  Fill(window->lstTagNames, {"T1"});
  window->cmdWrite_Click();
  EXPECT_TRUE(Writes().empty());
  EXPECT_EQ(status.text(), kWriteOneSecond);
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
}

TEST_F(ListReadWrite, WriteNeverSendsAReadFailureLineToItsTag) {
  api.server("").listAddRefused.insert("T2");
  Fill(window->lstTagNames, {"Missing", "T1", "T2"});
  window->cmdRead_Click();
  ASSERT_EQ(Texts(window->lstTagValues),
            (QStringList{"TAG READ FAILED: 'Missing'", "12.5", "TAG ADD FAILED: 'T2'"}));

  window->cmdWrite_Click();

  EXPECT_EQ(Writes(), (std::vector<std::pair<std::string, std::string>>{{"T1", "12.5"}}));
  EXPECT_EQ(status.text(), kWriteOneSecond + " 2 of 3 tag(s) not written.");
}

TEST_F(ListReadWrite, AFailureLineOfAnotherTagIsAnOrdinaryValue) {
  // After a tag joins the sorted list the pairs shift; what is then sent is the user's
  // business, but only a tag's own failure line is known to be no value.
  Fill(window->lstTagNames, {"T1", "T2"});
  Fill(window->lstTagValues, {"TAG READ FAILED: 'T2'", "5"});
  window->cmdWrite_Click();
  EXPECT_EQ(Writes().size(), 2u);
  EXPECT_EQ(status.text(), kWriteOneSecond);
}

TEST_F(ListReadWrite, RefusedWritesAreCountedNotHidden) {
  api.server("").writeRefused = {"T1", "T3"};
  Fill(window->lstTagNames, {"T1", "T2", "T3"});
  Fill(window->lstTagValues, {"1", "2", "3"});
  window->cmdWrite_Click();
  EXPECT_EQ(Writes().size(), 3u);  // a failed write does not stop the others
  EXPECT_EQ(status.text(), kWriteOneSecond + " 2 of 3 tag(s) not written.");
}

TEST_F(ListReadWrite, WriteWithoutTagsStillAsksForAConnection) {
  Fill(window->lstTagValues, {"1"});
  window->cmdWrite_Click();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "Add tags to the tag read list first!");
  EXPECT_EQ(host.boxes[0].style, ui::kStyleInformation);
  EXPECT_FALSE(host.boxes[0].title.has_value());
  EXPECT_EQ(api.countOf("znOpen"), 1);
  EXPECT_TRUE(Writes().empty());
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerDefault}));
  EXPECT_EQ(status.text(), "Status:");
}

TEST_F(ListReadWrite, WriteWithoutConnectionSaysSo) {
  api.server("").up = false;
  Fill(window->lstTagNames, {"T1"});
  Fill(window->lstTagValues, {"1"});
  window->cmdWrite_Click();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "ZNAPI is not connected to Zontra");
  EXPECT_EQ(host.boxes[0].title, "Connection");
  EXPECT_EQ(host.boxes[0].style, ui::kStyleInformation);
  EXPECT_TRUE(Writes().empty());
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerDefault}));
  EXPECT_EQ(status.text(), "Status:");
}

TEST_F(ListReadWrite, AMissingLibraryStopsTheWriteWithAnErrorBox) {
  api.missingLibrary = "znTagWrite not found";
  Fill(window->lstTagNames, {"T1"});
  Fill(window->lstTagValues, {"1"});
  window->cmdWrite_Click();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "znTagWrite not found");
  EXPECT_EQ(host.boxes[0].style, ui::kStyleCritical);
  EXPECT_EQ(host.boxes[0].title, "Error");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
  EXPECT_EQ(status.text(), "Status:");
}

TEST_F(ListReadWrite, EditedValueIsWrittenAndReadBack) {
  Fill(window->lstTagNames, {"T1", "T2"});
  window->cmdRead_Click();
  window->optLists[2]->click();
  Select(window->lstTagValues, {1});
  window->txtValue->setText("42");
  window->cmdSetValue_Click();
  window->cmdWrite_Click();
  window->cmdRead_Click();
  EXPECT_EQ(Texts(window->lstTagValues), (QStringList{"12.5", "42"}));
}

}  // namespace
}  // namespace listread_test
