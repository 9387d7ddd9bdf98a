// The samples a trend request keeps and the plot window opened from them: Plot waits for a
// sample, a cancelled request keeps what it wrote, Add to plot compares a second trend.
#include <QApplication>

#include "MainWindowFixture.h"
#include "TrendChart.h"
#include "TrendSamples.h"
#include "frmTrendPlot.h"

namespace app_test {
namespace {

std::string Query(const std::string& trend) {
  return "ZNAPITrend(\"04:00:24\",\"04/05/2005\",1, 600, 0, " + trend + ")";
}

struct TrendPlot : MainWindowTest {
  TrendPlot() {
    w.txtEndDateTime->setText("04/05/2005 04:00:24");
    w.txtDuration->setText("10");
    w.txtSamplePeriod->setText("1");
    local.tables["_Trend"].records = {{{"Name", "TREND1"}, {"Tag", "LIT101"}},
                                      {{"Name", "INFLOW"}, {"Tag", "FIT101"}},
                                      {{"Name", "LEVEL2"}, {"Tag", "LIT102"}}};
    local.tables["Tag"].records = {{{"Tag", "FIT101"}, {"Units", "l/s"}},
                                   {{"Tag", "LIT101"}, {"Units", "m"}},
                                   {{"Tag", "LIT102"}, {"Units", "m"}}};
  }
  void Samples(const std::string& trend, std::vector<std::string> values) {
    auto& records = local.tables[Query(trend)].records;
    for (std::size_t i = 0; i < values.size(); ++i)
      records.push_back({{"Date", "04/05/2005"},
                         {"Time", "04:00:" + std::to_string(10 + i)},
                         {trend, values[i]}});
  }
  void RequestTrend(const QString& trend) {
    w.cboTagNames[2]->setEditText(trend);
    request(1);
  }
  plot::frmTrendPlot* plotWindow() { return w.PlotWindow(); }
};

TEST_F(TrendPlot, PlotWaitsForATrendRequestThatWroteASample) {
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
}

TEST_F(TrendPlot, ACancelledRequestKeepsTheSamplesItWrote) {
  Samples("TREND1", {"1", "2", "3", "4", "5", "6"});
  host.onDoEvents = [&] {
    if (host.doEventsCount == 3) w.cmdCancelRead->click();
  };
  RequestTrend("TREND1");
  EXPECT_EQ(w.LastTrendSamples()->size(), 3u);
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

}  // namespace
}  // namespace app_test
