// Load Tags: the three name boxes, their counts, the failure boxes, the progress strip, the
// pointer, and what a click or a close in the middle of a load does.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

const char* const kTagTable = "Tag";
const char* const kAlarmTable = "ZNAPIAlarm(0, 4, 0)";
const char* const kTrendTable = "_Trend";

fake::Table Names(const std::vector<std::string>& names, const std::string& field = "Tag") {
  fake::Table t;
  for (const auto& n : names) t.records.push_back({{"Description", "x"}, {field, n}});
  return t;
}

struct NameLists : MainWindowTest {
  void fillAll() {
    local.tables[kTagTable] = Names({"Pump2", "alpha", "Pump1", "ALPHA", "alpha"});
    local.tables[kAlarmTable] = Names({"HiLevel", "LoFlow"});
    local.tables[kTrendTable] = Names({"TrendB", "TrendA", "TrendC"}, "Name");
  }
  void load() { w.cmdLoadZontraSchema->click(); }
};

TEST_F(NameLists, FillsTheBoxesSortedWithDuplicatesKeptWhileTheStripGrowsPerList) {
  fillAll();
  w.cboTagNames[0]->addItem("earlier");  // replaced, not added to
  local.tables[kAlarmTable].reportedTotal = 10;
  const int width = w.picProgress->ScaleWidth();
  std::vector<int> bars;
  QStringList captions;
  host.onDoEvents = [&] {
    EXPECT_FALSE(w.picProgress->isHidden());
    bars.push_back(w.picProgress->barTwips());
    captions << w.picProgress->caption();
  };
  load();
  EXPECT_EQ(Items(w.cboTagNames[0]), QStringList({"alpha", "ALPHA", "alpha", "Pump1", "Pump2"}));
  EXPECT_EQ(Items(w.cboTagNames[1]), QStringList({"HiLevel", "LoFlow"}));
  EXPECT_EQ(Items(w.cboTagNames[2]), QStringList({"TrendA", "TrendB", "TrendC"}));
  EXPECT_EQ(w.lblTotalTagCount[1]->text(), "Tags: 10") << "the server's total, not the names";
  // Listing names picks none of them: Read still asks for a tag until one is chosen.
  for (QComboBox* box : w.cboTagNames) EXPECT_EQ(box->currentText(), "");
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerIcon}));
  EXPECT_TRUE(api.openSearches().empty());
  // Events run once per name; the strip starts over for each list, the last name filling it.
  ASSERT_EQ(bars.size(), 10u);
  EXPECT_EQ(bars[4], width);
  EXPECT_LT(bars[5], bars[4]);
  EXPECT_EQ(bars[9], width);
  EXPECT_EQ(captions.mid(4, 4), (QStringList{"Loading tags...", "Loading alarms...",
                                             "Loading alarms...", "Loading trends..."}));
}

TEST_F(NameLists, EachListThatFailsSaysWhyKeepsItsCaptionAndClosesItsSearch) {
  local.tables[kAlarmTable] = Names({"HiLevel"});
  local.tables[kAlarmTable].reportedTotal = 0;
  local.tables[kTrendTable] = Names({"T1", "T2", "T3"}, "Name");
  api.onCall = [&](const fake::Call& c) {
    if (c.name == "znFindNext" && api.countOf("znFindNext") == 2)
      throw binding::LibraryError("znFindNext: connection lost");
  };
  for (QComboBox* box : w.cboTagNames) box->addItem("earlier");
  load();
  EXPECT_EQ(host.shownBoxes(), (QStringList{"TestZnAPI|info|Failed to find any  tags!",
                                            "TestZnAPI|plain|Division by zero",
                                            "TestZnAPI|plain|znFindNext: connection lost"}));
  EXPECT_EQ(Items(w.cboTagNames[0]), QStringList{"earlier"});
  EXPECT_EQ(Items(w.cboTagNames[1]), QStringList{"earlier"});
  EXPECT_EQ(Items(w.cboTagNames[2]), (QStringList{"T1", "T2"})) << "names read before it stay";
  for (QLabel* label : w.lblTotalTagCount) {
    EXPECT_FALSE(label->isHidden());
    EXPECT_EQ(label->text(), "Count:");
  }
  EXPECT_EQ(api.countOf("znFindClose"), 2);
  EXPECT_TRUE(api.openSearches().empty());
  EXPECT_EQ(host.pointer, ui::kPointerIcon);
}

TEST_F(NameLists, TakesAtMostTheCapOfNamesInSearchOrder) {
  std::vector<std::string> names;
  for (int i = 0; i < 32767 + 3; ++i) {
    char n[16];
    std::snprintf(n, sizeof n, "T%05d", 32769 - i);  // reverse order: sorting is visible
    names.push_back(n);
  }
  local.tables[kTagTable] = Names(names);
  load();
  QComboBox* box = w.cboTagNames[0];
  ASSERT_EQ(box->count(), 32767);
  EXPECT_EQ(box->itemText(0), "T00003") << "the last three records were not fetched";
  EXPECT_EQ(w.lblTotalTagCount[0]->text(), "Tags: 32770");
  EXPECT_EQ(api.countOf("znGetProperty"), 32767);
  EXPECT_TRUE(api.openSearches().empty());
}

TEST_F(NameLists, ServerButtonsDoNothingWhileALoadRunsButTheClockDoes) {
  fillAll();
  local.tags["T1"] = "1";
  bool clicked = false;
  host.onDoEvents = [&] {
    if (std::exchange(clicked, true)) return;
    ReplaceText(w.cboTagNames[0], "T1");
    for (QPushButton* b :
         {w.cmdLoadZontraSchema, w.cmdRead, w.cmdWrite, w.cmdTestConnection, w.cmdReadAlarmTrend})
      b->click();
    w.lblSCADATime_Click();
  };
  load();
  EXPECT_EQ(api.countOf("znFindFirst"), 3) << "no nested load or request";
  EXPECT_EQ(api.countOf("znTagRead") + api.countOf("znTagWrite"), 0);
  EXPECT_EQ(w.cboTagNames[0]->count(), 5);
  EXPECT_TRUE(w.Timer1->isActive()) << "the clock label still answers";
  host.onDoEvents = nullptr;
  w.cmdRead->click();
  EXPECT_EQ(api.countOf("znTagRead"), 1) << "once the load is over the buttons work again";
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

}  // namespace
}  // namespace app_test
