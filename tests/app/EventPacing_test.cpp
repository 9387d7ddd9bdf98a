// The loops that let events run per item: a pass of events once per frame of the host's
// clock, never once per item.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

using std::chrono::milliseconds;

constexpr int kItems = 1000;
constexpr milliseconds kPerItem{1};
// One pass per frame, give or take the pass on the first item.
constexpr int kFrameItems = static_cast<int>(ui::kEventFrame / kPerItem);

TEST_F(MainWindowTest, LoopsLetEventsRunOncePerFrameNotPerItem) {
  host.uptimeStep = kPerItem;
  const std::string query = "ZNAPITrend(\"04:00:24\",\"04/05/2005\",1, 1000, 0, TREND1)";
  local.tables[query].records.assign(kItems, {{"Time", "04:00:01"}, {"TREND1", "1.0"}});
  for (int i = 0; i < kItems; ++i)
    local.tables["Tag"].records.push_back({{"Tag", "T" + std::to_string(i)}});
  EnterTrendRequest("04/05/2005 04:00:24", "1000", "1", "TREND1", "Seconds");
  w.show();
  const std::pair<const char*, std::function<void()>> loops[] = {
      {"trend query", [&] { request(1); }},
      {"name load", [&] { w.cmdLoadZontraSchema->click(); }},
  };
  for (const auto& [loop, run] : loops) {
    SCOPED_TRACE(loop);
    const int itemsBefore = api.countOf("znFindNext");
    const int passesBefore = host.doEventsCount;
    run();
    EXPECT_GE(api.countOf("znFindNext") - itemsBefore, kItems - 1);
    EXPECT_GE(host.doEventsCount - passesBefore, kItems / kFrameItems - 1);
    EXPECT_LE(host.doEventsCount - passesBefore, kItems / kFrameItems + 2);
  }
}

}  // namespace
}  // namespace app_test
