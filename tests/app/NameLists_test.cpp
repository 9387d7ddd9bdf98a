// Load Tags: the three name boxes, their counts, the failure boxes, the progress strip, the
// pointer, and what a click or a close in the middle of a load does.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <string>
#include <vector>

#include "ConnectionTable.h"
#include "FakeHost.h"
#include "FakeZnApi.h"
#include "Widgets.h"
#include "frmTestConnection.h"

namespace {

const char* const kTagTable = "Tag";
const char* const kAlarmTable = "ZNAPIAlarm(0, 4, 0)";
const char* const kTrendTable = "_Trend";

fake::Table Names(const std::vector<std::string>& names, const std::string& field = "Tag") {
  fake::Table t;
  for (const auto& n : names) t.records.push_back({{"Description", "x"}, {field, n}});
  return t;
}

QStringList Items(const QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

struct NameLists : ::testing::Test {
  fake::FakeZnApi api;
  server::basZNAPI module{api};
  fake::FakeHost host;
  frmTestConnection w{module, host};
  fake::Server& plant = api.server("");

  void fillAll() {
    plant.tables[kTagTable] = Names({"Pump2", "alpha", "Pump1", "ALPHA", "alpha"});
    plant.tables[kAlarmTable] = Names({"HiLevel", "LoFlow"});
    plant.tables[kTrendTable] = Names({"TrendB", "TrendA", "TrendC"}, "Name");
  }
  void load() { w.cmdLoadZontraSchema->click(); }
};

TEST_F(NameLists, FillsTheThreeBoxesSortedWithDuplicatesKept) {
  fillAll();
  load();
  EXPECT_EQ(Items(w.cboTagNames[0]), QStringList({"alpha", "ALPHA", "alpha", "Pump1", "Pump2"}));
  EXPECT_EQ(Items(w.cboTagNames[1]), QStringList({"HiLevel", "LoFlow"}));
  EXPECT_EQ(Items(w.cboTagNames[2]), QStringList({"TrendA", "TrendB", "TrendC"}));
  EXPECT_EQ(w.lblTotalTagCount[0]->text(), "Tags: 5");
  EXPECT_EQ(w.lblTotalTagCount[1]->text(), "Tags: 2");
  EXPECT_EQ(w.lblTotalTagCount[2]->text(), "Tags: 3");
  for (QLabel* label : w.lblTotalTagCount) EXPECT_FALSE(label->isHidden());
  // Listing names picks none of them: Read still asks for a tag until one is chosen.
  for (QComboBox* box : w.cboTagNames) EXPECT_EQ(box->currentText(), "");

  EXPECT_TRUE(w.picProgress->isHidden());
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerIcon}));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_EQ(host.doEventsCount, 10) << "events run once per name";
}

TEST_F(NameLists, AsksTheLibraryAsTheServerExpects) {
  fillAll();
  load();
  const auto finds = api.callsOf("znFindFirst");
  ASSERT_EQ(finds.size(), 3u);
  const char* tables[] = {kTagTable, kAlarmTable, kTrendTable};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(finds[i].args[1], tables[i]);
    EXPECT_EQ(finds[i].args[2], "*");
    EXPECT_EQ(finds[i].args[3], "0");
  }
  std::vector<std::string> scrollModes;
  for (const auto& c : api.callsOf("znFindScroll")) scrollModes.push_back(c.args[1]);
  EXPECT_EQ(scrollModes, (std::vector<std::string>{"4", "3", "4", "3", "4", "3"}));
  const auto props = api.callsOf("znGetProperty");
  ASSERT_EQ(props.size(), 10u);
  EXPECT_EQ(props[0].args[1], "Tag");
  EXPECT_EQ(props.back().args[1], "Name");
  for (const auto& p : props) {
    EXPECT_EQ(p.args[2], "32");
    EXPECT_EQ(p.args[3], "129");
  }
}

TEST_F(NameLists, ReplacesEarlierNames) {
  fillAll();
  load();
  plant.tables[kAlarmTable] = Names({"Only"});
  load();
  EXPECT_EQ(Items(w.cboTagNames[1]), QStringList({"Only"}));
  EXPECT_EQ(w.lblTotalTagCount[1]->text(), "Tags: 1");
  EXPECT_EQ(w.cboTagNames[0]->count(), 5);
}

TEST_F(NameLists, ListsThatCannotBeSearchedSayWhichAndKeepTheirNames) {
  w.cboTagNames[0]->addItem("earlier");
  plant.tables[kAlarmTable] = Names({"HiLevel"});
  load();
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[0].text, "Failed to find any  tags!");
  EXPECT_EQ(host.boxes[1].text, "Failed to find any trend tags!");
  for (const auto& box : host.boxes) {
    EXPECT_EQ(box.style, ui::kStyleInformation);
    EXPECT_FALSE(box.title.has_value());
  }
  EXPECT_EQ(Items(w.cboTagNames[0]), QStringList({"earlier"}));
  EXPECT_EQ(Items(w.cboTagNames[1]), QStringList({"HiLevel"}));
  // A list that failed still shows its label, with the caption it had.
  EXPECT_FALSE(w.lblTotalTagCount[0]->isHidden());
  EXPECT_EQ(w.lblTotalTagCount[0]->text(), "Count:");
  EXPECT_EQ(host.pointer, ui::kPointerIcon);
}

TEST_F(NameLists, ZeroTotalFailsWithoutTouchingTheBoxAndClosesItsSearch) {
  fillAll();
  plant.tables[kTagTable].reportedTotal = 0;
  w.cboTagNames[0]->addItem("earlier");
  load();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "Division by zero");
  EXPECT_EQ(host.boxes[0].style, ui::kStyleNone);
  EXPECT_FALSE(host.boxes[0].title.has_value());
  EXPECT_EQ(Items(w.cboTagNames[0]), QStringList({"earlier"}));
  EXPECT_EQ(w.lblTotalTagCount[0]->text(), "Count:");
  EXPECT_EQ(api.countOf("znFindClose"), 3);
  EXPECT_TRUE(api.openSearches().empty());
  // The other lists still load.
  EXPECT_EQ(w.cboTagNames[2]->count(), 3);
}

TEST_F(NameLists, ALibraryFailureMidListIsShownAndItsSearchClosed) {
  fillAll();
  api.onCall = [&](const fake::Call& c) {
    if (c.name == "znFindNext" && api.countOf("znFindNext") == 2)
      throw server::LibraryError("znFindNext: connection lost");
  };
  load();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "znFindNext: connection lost");
  EXPECT_EQ(host.boxes[0].style, ui::kStyleNone);
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_EQ(w.cboTagNames[0]->count(), 2) << "names added before the failure stay";
  EXPECT_EQ(w.lblTotalTagCount[0]->text(), "Count:");
  EXPECT_EQ(w.cboTagNames[1]->count(), 2);
  EXPECT_EQ(host.pointer, ui::kPointerIcon);
  api.onCall = nullptr;
}

TEST_F(NameLists, CountShowsTheServersTotalNotTheNamesAdded) {
  fillAll();
  plant.tables[kAlarmTable].reportedTotal = 10;
  load();
  EXPECT_EQ(w.cboTagNames[1]->count(), 2);
  EXPECT_EQ(w.lblTotalTagCount[1]->text(), "Tags: 10");
}

TEST_F(NameLists, TakesAtMostTheCapOfNamesInSearchOrder) {
  std::vector<std::string> names;
  for (int i = 0; i < 32767 + 3; ++i) {
    char n[16];
    std::snprintf(n, sizeof n, "T%05d", 32769 - i);  // reverse order: sorting is visible
    names.push_back(n);
  }
  plant.tables[kTagTable] = Names(names);
  load();
  QComboBox* box = w.cboTagNames[0];
  ASSERT_EQ(box->count(), 32767);
  EXPECT_EQ(box->itemText(0), "T00003") << "the last three records were not fetched";
  EXPECT_EQ(box->itemText(32766), "T32769");
  EXPECT_EQ(w.lblTotalTagCount[0]->text(), "Tags: 32770");
  EXPECT_EQ(api.countOf("znGetProperty"), 32767);
  EXPECT_TRUE(api.openSearches().empty());
}

TEST_F(NameLists, NamesFollowTheBufferRule) {
  plant.tables[kTagTable].records = {
      {{"Tag", "   Padded"}},
      {{"Other", "no Tag field"}},  // the failed read still lists an (empty) entry
      {{"Tag", "A_tag_name_longer_than_thirty_two_characters"}},
  };
  load();
  EXPECT_EQ(Items(w.cboTagNames[0]),
            QStringList({"", "A_tag_name_longer_than_thirty_tw", "Padded"}));
}

TEST_F(NameLists, ProgressStripGrowsToFullWidthWithTheListsCaption) {
  fillAll();
  const int width = w.picProgress->ScaleWidth();
  std::vector<int> bars;
  std::vector<QString> captions;
  host.onDoEvents = [&] {
    EXPECT_FALSE(w.picProgress->isHidden());
    bars.push_back(w.picProgress->barTwips());
    captions.push_back(w.picProgress->caption());
  };
  load();
  ASSERT_EQ(bars.size(), 10u);
  // Five tags, then the strip starts over for two alarms and three trends.
  const auto bar = [](double twips) { return static_cast<int>(std::nearbyint(twips)); };
  EXPECT_EQ(bars[0], bar(width / 5.0));
  EXPECT_EQ(bars[4], width);
  EXPECT_EQ(bars[5], bar(width / 2.0)) << "halves go to the even neighbour";
  EXPECT_EQ(bars[6], width);
  EXPECT_EQ(bars[9], width);
  EXPECT_EQ(captions[0], "Loading tags...");
  EXPECT_EQ(captions[5], "Loading alarms...");
  EXPECT_EQ(captions[7], "Loading trends...");
}

TEST_F(NameLists, WithoutAServerOnlyTheStatusLineChanges) {
  plant.up = false;
  w.lblTotalTagCount[1]->show();
  w.lblTotalTagCount[1]->setText("Tags: 7");
  load();
  EXPECT_EQ(w.lblStatus->text(), "Status: No ZNAPI connection is available.");
  EXPECT_FALSE(w.lblTotalTagCount[1]->isHidden());
  EXPECT_EQ(w.lblTotalTagCount[1]->text(), "Tags: 7");
  EXPECT_TRUE(w.lblTotalTagCount[0]->isHidden());
  EXPECT_TRUE(w.picProgress->isHidden());
  EXPECT_EQ(host.pointer, ui::kPointerIcon);
  EXPECT_EQ(api.countOf("znFindFirst"), 0);
}

TEST_F(NameLists, MissingLibraryIsReportedOnceAndNothingLoads) {
  api.missingLibrary = "libznapi.so: cannot open shared object file";
  w.lblStatus->setText("Status: before");
  load();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].style, ui::kStyleCritical);
  EXPECT_EQ(host.boxes[0].shownTitle(), "Error");
  EXPECT_EQ(w.lblStatus->text(), "Status: before");
  EXPECT_TRUE(w.picProgress->isHidden());
  EXPECT_EQ(host.pointer, ui::kPointerIcon);
}

TEST_F(NameLists, ServerButtonsDoNothingWhileALoadRunsButTheClockDoes) {
  fillAll();
  plant.tags["T1"] = "1";
  bool clicked = false;
  host.onDoEvents = [&] {
    if (clicked) return;
    clicked = true;
    w.cboTagNames[0]->setEditText("T1");
    w.cmdLoadZontraSchema->click();
    w.cmdRead->click();
    w.cmdWrite->click();
    w.cmdTestConnection->click();
    w.cmdReadAlarmTrend->click();
    w.lblSCADATime_Click();
  };
  load();
  EXPECT_EQ(api.countOf("znFindFirst"), 3) << "no nested load";
  EXPECT_EQ(api.countOf("znTagRead"), 0);
  EXPECT_EQ(api.countOf("znTagWrite"), 0);
  EXPECT_EQ(Items(w.cboTagNames[0]).size(), 5);
  EXPECT_TRUE(w.Timer1->isActive()) << "the clock label still answers";
  // Once the load is over the buttons work again.
  host.onDoEvents = nullptr;
  w.cmdRead->click();
  EXPECT_EQ(api.countOf("znTagRead"), 1);
}

TEST_F(NameLists, ClosingDuringALoadEndsItAfterTheCurrentNameThenCloses) {
  fillAll();
  w.show();
  host.onDoEvents = [&] {
    if (api.countOf("znGetProperty") == 2) w.close();
  };
  load();
  EXPECT_EQ(w.cboTagNames[0]->count(), 2);
  EXPECT_EQ(api.countOf("znFindFirst"), 1) << "the other lists are not started";
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_FALSE(w.isVisible());
  EXPECT_TRUE(api.openConnections().empty()) << "the close ran once the load returned";
}

TEST_F(NameLists, ATickThatFindsTheServerDeadMidLoadEndsTheLoadQuietly) {
  fillAll();
  host.onDoEvents = [&] {
    if (api.countOf("znGetProperty") == 2) {
      plant.up = false;
      w.Timer1_Timer();  // closes the handle the load is using
    }
  };
  load();
  EXPECT_TRUE(api.openConnections().empty());
  // The lists after it find no server and say so; nothing else is reported.
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[0].text, "Failed to find any alarm tags!");
  EXPECT_EQ(host.boxes[1].text, "Failed to find any trend tags!");
  EXPECT_EQ(host.pointer, ui::kPointerIcon);
  EXPECT_TRUE(api.openSearches().empty());
}

}  // namespace
