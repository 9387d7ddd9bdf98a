// The loops that let events run per item: a pass of events once per frame of the host's
// clock, never once per item, and Cancel or a close still acts within that frame.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

using std::chrono::milliseconds;

constexpr int kItems = 1000;
constexpr milliseconds kPerItem{1};
// One pass per frame, give or take the pass on the first item.
constexpr int kFrameItems = static_cast<int>(ui::kEventFrame / kPerItem);

struct PacedLoop {
  const char* name;
  /// Fills the server with kItems items and starts the loop.
  std::function<void(fake::Server&, frmTestConnection&)> run;
  /// What stops it: Cancel Request, or closing the window.
  std::function<void(frmTestConnection&)> stop;
  std::string itemCall;  // the library call made once per item
};

const std::vector<PacedLoop>& Loops() {
  static const std::vector<PacedLoop> loops{
      {"trend query",
       [](fake::Server& server, frmTestConnection& w) {
         const std::string query = "ZNAPITrend(\"04:00:24\",\"04/05/2005\",1, 1000, 0, TREND1)";
         server.tables[query].records.assign(kItems, {{"Time", "04:00:01"}, {"TREND1", "1.0"}});
         w.txtEndDateTime->setText("04/05/2005 04:00:24");
         w.txtDuration->setText("1000");
         w.cboUnits->setCurrentIndex(3);  // seconds
         w.txtSamplePeriod->setText("1");
         w.cboTagNames[2]->setEditText("TREND1");
         w.optRead[1]->click();
         w.cmdReadAlarmTrend->click();
       },
       [](frmTestConnection& w) { w.cmdCancelRead->click(); }, "znFindNext"},
      {"name load",
       [](fake::Server& server, frmTestConnection& w) {
         for (int i = 0; i < kItems; ++i)
           server.tables["Tag"].records.push_back({{"Tag", "T" + std::to_string(i)}});
         w.cmdLoadZontraSchema->click();
       },
       [](frmTestConnection& w) { w.close(); }, "znFindNext"},
  };
  return loops;
}

struct EventPacing : MainWindowTest, ::testing::WithParamInterface<PacedLoop> {
  EventPacing() { host.uptimeStep = kPerItem; }
};

TEST_P(EventPacing, EventsRunOncePerFrameNotPerItem) {
  w.show();
  GetParam().run(local, w);
  EXPECT_GE(api.countOf(GetParam().itemCall), kItems - 1);
  EXPECT_GE(host.doEventsCount, kItems / kFrameItems - 1);
  EXPECT_LE(host.doEventsCount, kItems / kFrameItems + 2);
}

TEST_P(EventPacing, StoppingActsWithinAFrame) {
  w.show();
  int itemsAtStop = -1;
  host.onDoEvents = [&] {
    if (host.doEventsCount != 3) return;
    itemsAtStop = api.countOf(GetParam().itemCall);
    GetParam().stop(w);
  };
  GetParam().run(local, w);
  ASSERT_GE(itemsAtStop, 0);
  EXPECT_LE(api.countOf(GetParam().itemCall) - itemsAtStop, kFrameItems);
  EXPECT_TRUE(api.openSearches().empty());
}

INSTANTIATE_TEST_SUITE_P(Loops, EventPacing, ::testing::ValuesIn(Loops()), [](const auto& info) {
  std::string name = info.param.name;
  std::replace(name.begin(), name.end(), ' ', '_');
  return name;
});

}  // namespace
}  // namespace app_test
