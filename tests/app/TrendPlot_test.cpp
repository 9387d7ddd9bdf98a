// The samples a trend request keeps and the plot window opened from them: Plot waits for a
// sample, a cancelled request keeps what it wrote, Add to plot compares a second trend,
// Update every N s asks again.
#include <gmock/gmock.h>

#include <QApplication>
#include <QCheckBox>
#include <QSpinBox>
#include <QTest>

#include "MainWindowFixture.h"
#include "TrendChart.h"
#include "TrendSamples.h"
#include "frmTrendPlot.h"

namespace app_test {
namespace {

std::string Query(const std::string& trend, const std::string& end = "04:00:24") {
  return "ZNAPITrend(\"" + end + "\",\"04/05/2005\",1, 600, 0, " + trend + ")";
}

struct TrendPlot : MainWindowTest {
  TrendPlot() {
    EnterTrendRequest("04/05/2005 04:00:24", "10", "1");
    local.tables["_Trend"].records = {{{"Name", "TREND1"}, {"Tag", "LIT101"}},
                                      {{"Name", "INFLOW"}, {"Tag", "FIT101"}},
                                      {{"Name", "LEVEL2"}, {"Tag", "LIT102"}}};
    local.tables["Tag"].records = {{{"Tag", "FIT101"}, {"Units", "l/s"}},
                                   {{"Tag", "LIT101"}, {"Units", "m"}},
                                   {{"Tag", "LIT102"}, {"Units", "m"}}};
  }
  void Samples(const std::string& trend, std::vector<std::string> values,
               const std::string& end = "04:00:24") {
    auto& records = local.tables[Query(trend, end)].records;
    for (std::size_t i = 0; i < values.size(); ++i)
      records.push_back({{"Date", "04/05/2005"},
                         {"Time", end.substr(0, 3) + "00:" + std::to_string(10 + i)},
                         {trend, values[i]}});
  }
  void RequestTrend(const QString& trend) {
    ReplaceText(w.cboTagNames[2], trend);
    request(1);
  }
  plot::frmTrendPlot* plotWindow() { return w.PlotWindow(); }
};

TEST_F(TrendPlot, PlotWaitsForATrendRequestThatWroteASampleACancelledOneIncluded) {
  EXPECT_FALSE(w.cmdPlot->isEnabled());
  Samples("TREND1", {"1.5", "Bad", "3.5 Uncertain"});
  RequestTrend("TREND1");
  EXPECT_TRUE(w.cmdPlot->isEnabled());
  // How each value text reads is the samples' own affair; here every row is kept.
  EXPECT_EQ(w.LastTrendSamples()->size(), 3u);
  EXPECT_EQ(w.LastTrendSamples()->Trend(), "TREND1");

  RequestTrend("NOSUCH");
  EXPECT_EQ(host.shownBoxes(), QStringList{"TestZnAPI|info|Failed find any trend data!"});
  EXPECT_FALSE(w.cmdPlot->isEnabled()) << "the last trend request wrote nothing";

  Samples("INFLOW", {"1", "2", "3", "4", "5", "6"});
  const int passes = host.doEventsCount;
  host.onDoEvents = [&] {
    if (host.doEventsCount == passes + 3) w.cmdCancelRead->click();
  };
  RequestTrend("INFLOW");
  EXPECT_EQ(w.LastTrendSamples()->size(), 3u) << "a cancelled request keeps what it wrote";
  EXPECT_TRUE(w.cmdPlot->isEnabled());
}

TEST_F(TrendPlot, AddToPlotComparesTrendsOnAValueAxisPerUnit) {
  Samples("TREND1", {"1", "2"});
  Samples("INFLOW", {"100", "120"});
  Samples("LEVEL2", {"3", "4"});
  RequestTrend("TREND1");
  w.cmdPlot->click();
  ASSERT_NE(plotWindow(), nullptr);
  EXPECT_TRUE(plotWindow()->isVisible());
  EXPECT_EQ(plotWindow()->windowTitle(), "Trend Plot - TREND1");
  EXPECT_EQ(plotWindow()->chart->TrendAt(0).units, "m");
  EXPECT_FALSE(plotWindow()->cmdAddToPlot->isEnabled()) << "that trend is plotted already";

  RequestTrend("INFLOW");
  ASSERT_TRUE(plotWindow()->cmdAddToPlot->isEnabled());
  plotWindow()->cmdAddToPlot->click();
  EXPECT_EQ(plotWindow()->windowTitle(), "Trend Plot - TREND1, INFLOW");
  EXPECT_EQ(plotWindow()->chart->ValueAxisCount(), 2) << "m and l/s";
  EXPECT_FALSE(plotWindow()->cmdAddToPlot->isEnabled());

  w.cmdPlot->click();  // INFLOW alone, then a trend in the same unit beside it
  RequestTrend("TREND1");
  plotWindow()->cmdAddToPlot->click();
  RequestTrend("LEVEL2");
  EXPECT_FALSE(plotWindow()->cmdAddToPlot->isEnabled()) << "two trends fill the plot";
  w.cmdPlot->click();
  RequestTrend("TREND1");
  plotWindow()->cmdAddToPlot->click();
  EXPECT_EQ(plotWindow()->chart->TrendCount(), 2);
  EXPECT_EQ(plotWindow()->chart->ValueAxisCount(), 1) << "both in m";
  EXPECT_EQ(api.countOf("znFindFirst"), 5 + 2 * 3) << "units are looked up once per trend";
}

TEST_F(TrendPlot, UpdateEveryAsksForTheSameLengthOfTimeEndingNowUntilUnticked) {
  Samples("TREND1", {"1", "2"});
  Samples("TREND1", {"5", "6", "7"}, "05:00:00");
  RequestTrend("TREND1");
  w.cmdPlot->click();
  plot::frmTrendPlot& p = *plotWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
  EXPECT_FALSE(p.chkUpdate->isChecked());
  EXPECT_FALSE(p.UpdateTimer->isActive()) << "off until the user asks";
  ReplaceText(p.spnUpdateSeconds, "5");
  QTest::mouseClick(p.chkUpdate, Qt::LeftButton);
  ASSERT_TRUE(p.UpdateTimer->isActive());
  EXPECT_EQ(p.UpdateTimer->interval(), 5000);

  const auto plotted = [&] { return p.chart->TrendAt(0).samples; };
  const int finds = api.countOf("znFindFirst");
  host.now = {2005, 5, 4, 5, 0, 0};
  p.UpdateTimer_Timer();
  EXPECT_EQ(plotted()->PeriodEnd(), "04/05/2005 05:00:00") << "ten minutes ending now";
  EXPECT_EQ(plotted()->size(), 3u);
  EXPECT_EQ(p.chart->Shown().to, plotted()->TimeMs(2)) << "what is shown follows the samples";
  EXPECT_EQ(api.countOf("znFindFirst"), finds + 1) << "one find, units known already";
  EXPECT_TRUE(p.lblUpdateFailure->text().isEmpty());

  host.now = {2005, 5, 4, 5, 0, 5};  // nothing for that query: the find fails
  p.UpdateTimer_Timer();
  EXPECT_THAT(p.lblUpdateFailure->toolTip().toStdString(),
              testing::HasSubstr("TREND1: Failed find any trend data!"));
  EXPECT_EQ(plotted()->PeriodEnd(), "04/05/2005 05:00:00") << "the last samples stay";
  local.up = false;
  p.UpdateTimer_Timer();
  EXPECT_THAT(p.lblUpdateFailure->toolTip().toStdString(),
              testing::HasSubstr("No ZNAPI connection is available."));
  EXPECT_TRUE(p.UpdateTimer->isActive()) << "a failure does not stop the updates";

  local.up = true;
  host.now = {2005, 5, 4, 5, 0, 0};
  int findsDuringRequest = -1;
  host.onDoEvents = [&] {
    if (findsDuringRequest >= 0) return;
    const int before = api.countOf("znFindFirst");
    p.UpdateTimer_Timer();
    findsDuringRequest = api.countOf("znFindFirst") - before;
  };
  RequestTrend("TREND1");
  EXPECT_EQ(findsDuringRequest, 0) << "no second find while the main window's is open";
  EXPECT_THAT(p.lblUpdateFailure->toolTip().toStdString(),
              testing::HasSubstr("a request of the main window is running"));
  host.onDoEvents = {};
  p.UpdateTimer_Timer();
  EXPECT_TRUE(p.lblUpdateFailure->text().isEmpty()) << "the next update that works clears it";

  QTest::mouseClick(p.chkUpdate, Qt::LeftButton);
  EXPECT_FALSE(p.UpdateTimer->isActive());
}

}  // namespace
}  // namespace app_test
