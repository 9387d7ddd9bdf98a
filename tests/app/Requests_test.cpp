// The request panel: the inputs each kind shows, the checks of the period inputs, the
// dispatch, the status line and the guard against a second request.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

const QString kRequestTiming = "Status: Request takes about 1 second from 'LOCAL'.";

using RequestPanel = MainWindowTest;

TEST_F(RequestPanel, EachKindShowsItsOwnInputs) {
  struct Case {
    int kind;
    bool period, sample, others;
    const char* othersLabel;
  };
  const Case cases[] = {{1, true, true, false, ""},
                        {0, true, false, false, ""},
                        {3, false, false, true, "Device Name:"},
                        {2, true, false, false, ""},
                        {4, false, false, true, "Func Name:"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    w.optRead[c.kind]->click();
    EXPECT_EQ(w.RequestKind, c.kind);
    for (QWidget* p : std::initializer_list<QWidget*>{w.txtEndDateTime, w.lblDateTime[0],
                                                      w.txtDuration, w.cboUnits, w.lblDateTime[1]})
      EXPECT_EQ(!p->isHidden(), c.period) << p->objectName().toStdString();
    for (QWidget* s : std::initializer_list<QWidget*>{w.txtSamplePeriod, w.lblSamplePeriod})
      EXPECT_EQ(!s->isHidden(), c.sample);
    for (QWidget* o : std::initializer_list<QWidget*>{w.txtOthers, w.lblOthers})
      EXPECT_EQ(!o->isHidden(), c.others);
    EXPECT_EQ(c.others ? w.lblOthers->text() : "", c.othersLabel);
  }
}

TEST_F(RequestPanel, WithoutAConnectionOrLibraryNothingIsAsked) {
  local.up = false;
  w.txtRequestedData->setText("old");
  w.cmdReadAlarmTrend->click();
  EXPECT_EQ(status(), "Status: No ZNAPI connection is available.");
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
  EXPECT_TRUE(host.boxes.empty());

  w.lblStatus->setText("Status: before");
  const QStringList box = missingLibrary();
  w.cmdReadAlarmTrend->click();
  EXPECT_EQ(host.shownBoxes(), box);
  EXPECT_EQ(status(), "Status: before");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
  EXPECT_EQ(api.countOf("znFindFirst"), 0);
  EXPECT_EQ(pane(), "old");
  EXPECT_TRUE(w.lblRequestCount->isHidden());
  EXPECT_FALSE(w.cmdCancelRead->isEnabled());
}

TEST_F(RequestPanel, PeriodInputsRefuseTheRequestWithTheBoxThatNamesThem) {
  struct Case {
    int kind;
    const char *end, *duration, *period;
    const char* box;  // nullptr: the query runs
  };
  const Case cases[] = {
      {0, "now()", "10", "2", "Incorrect date time entry!"},
      {0, " Now()", "10", "2", "Incorrect date time entry!"},
      {0, "Now()", "ten", "2", "Incorrect duration entry!"},
      {0, "Now()", "24856", "2", "Incorrect duration entry!"},  // with "Days"
      {1, "Now()", "10", "abc", "Incorrect sample period entry!"},
      {1, "Now()", "10", "0", "Incorrect sample period entry!"},
      {0, "15/03/2024 10:30", "0", "2", nullptr},
      {1, "Now()", "-5", "2", nullptr},
  };
  w.cboTagNames[2]->setEditText("TREND1");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.end) + " | " + c.duration + " | " + c.period);
    host.boxes.clear();
    api.calls.clear();
    w.lblStatus->setText("Status: before");
    w.cboUnits->setCurrentIndex(QString(c.duration) == "24856" ? 0 : 2);
    w.txtEndDateTime->setText(c.end);
    w.txtDuration->setText(c.duration);
    w.txtSamplePeriod->setText(c.period);
    request(c.kind);
    if (c.box) {
      EXPECT_EQ(host.shownBoxes(), QStringList{QString("TestZnAPI|info|") + c.box});
    }
    EXPECT_EQ(api.countOf("znFindFirst"), c.box ? 0 : 1);
    // A refused request reports no timing.
    EXPECT_EQ(status(), c.box ? QString("Status: before") : kRequestTiming);
    EXPECT_FALSE(w.cmdCancelRead->isEnabled());
    EXPECT_EQ(host.pointer, ui::kPointerDefault);
  }
}

TEST_F(RequestPanel, ABadEndMovesTheFocusToItAndKeepsThePeriod) {
  w.RequestEndText = "b";
  w.txtEndDateTime->setText("yesterday");
  w.cmdReadAlarmTrend->setFocus();
  EXPECT_FALSE(w.ValidateTimeRange());
  EXPECT_EQ(w.RequestEndText, "b");
  EXPECT_EQ(w.focusWidget(), w.txtEndDateTime);
}

TEST_F(RequestPanel, PeriodTextsComeFromTheEndAndTheDuration) {
  struct Case {
    const char *end, *duration;
    int unit;
    const char *start, *endText;
  };
  const Case cases[] = {
      {"Now()", "10", 2, "15/03/2024 10:20:00", "15/03/2024 10:30:00"},
      {"4/5/2005 4:00:24", "10", 2, "04/05/2005 03:50:24", "04/05/2005 04:00:24"},
      {"04/05/2005", "2.5", 1, "03/05/2005 22:00:00", "04/05/2005 00:00:00"},
      {"04/05/2005", "3.5", 3, "03/05/2005 23:59:56", "04/05/2005 00:00:00"},
      {"04/05/2005", "-1", 0, "05/05/2005 00:00:00", "04/05/2005 00:00:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.end);
    w.txtEndDateTime->setText(c.end);
    w.txtDuration->setText(c.duration);
    w.cboUnits->setCurrentIndex(c.unit);
    ASSERT_TRUE(w.ValidateTimeRange());
    EXPECT_EQ(w.RequestStartText, c.start);
    EXPECT_EQ(w.RequestEndText, c.endText);
  }
}

TEST_F(RequestPanel, AlarmsIgnoreThePeriodInputsAndTimingCoversTheConnection) {
  host.clock = {{2024, 3, 15, 10, 30, 0}, {2024, 3, 15, 10, 30, 4}};
  w.txtEndDateTime->setText("garbage");
  w.txtDuration->setText("garbage");
  request(2);
  EXPECT_EQ(api.argsOf("znFindFirst", 1), Strings{"ZNAPIAlarm(0, 0, 0)"});
  EXPECT_EQ(status(), "Status: Request takes about 4 second(s) from 'LOCAL'.");
  EXPECT_EQ(api.calls.front().name, "znOpen") << "the start instant is read before connecting";
}

TEST_F(RequestPanel, ZncodeReplacesThePaneOnlyWhenTheCallWorks) {
  local.zncode = [](const std::string& f) -> std::optional<std::string> {
    if (f == " Version()") return "Zontra 7.2";
    if (f == "Empty()") return "";
    return std::nullopt;
  };
  const std::pair<QString, QString> calls[] = {
      {" Version()", "Zontra 7.2"}, {"Nope()", "Zontra 7.2"}, {"Empty()", ""}};
  w.txtRequestedData->setText("line 1\r\nline 2\r\n");
  for (const auto& [function, shown] : calls) {
    w.txtOthers->setText(function);
    request(4);
    EXPECT_EQ(pane(), shown) << function.toStdString();
    EXPECT_EQ(status(), kRequestTiming);
  }
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(RequestPanel, OneRequestAtATimeAndCancelIsClearedWhenItStarts) {
  local.tables["ZNAPIAlarm(0, 0, 0)"].records = {{{"Tag", "T1"}}, {{"Tag", "T2"}}};
  w.CancelRequested = server::kTrue;
  bool nested = false;
  host.onDoEvents = [&] {
    if (std::exchange(nested, true)) return;
    EXPECT_EQ(w.CancelRequested, server::kFalse);
    EXPECT_TRUE(w.cmdCancelRead->isEnabled());
    w.cmdReadAlarmTrend->click();
    w.cmdCancelRead->click();
  };
  request(2);
  EXPECT_EQ(api.countOf("znFindFirst"), 1) << "no second request reached the library";
  EXPECT_EQ(pane().count("\r\n"), 2) << "alarms do not stop on cancel";
  EXPECT_FALSE(w.Busy());
}

}  // namespace
}  // namespace app_test
