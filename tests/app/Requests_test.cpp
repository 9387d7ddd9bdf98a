// The request panel: the inputs each kind shows, the checks of the period inputs, the
// dispatch, the status line and the guard against a second request.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

const QString kRequestTiming = "Status: Request takes about 1 second from 'LOCAL'.";

using RequestPanel = MainWindowTest;

TEST_F(RequestPanel, EachKindShowsItsOwnInputs) {
  // Shown (+) or hidden (-): the end, its label, the duration, the units, their label, the
  // sample period and its label, the others box and its label.
  const std::tuple<int, QString, QString> cases[] = {{1, "+++++++--", ""},
                                                     {0, "+++++----", ""},
                                                     {3, "-------++", "Device Name:"},
                                                     {2, "+++++----", ""},
                                                     {4, "-------++", "Func Name:"}};
  for (const auto& [kind, shown, othersLabel] : cases) {
    SCOPED_TRACE(kind);
    w.optRead[kind]->click();
    EXPECT_EQ(w.RequestKind, kind);
    QString seen;
    for (QWidget* input : std::initializer_list<QWidget*>{
             w.txtEndDateTime, w.lblDateTime[0], w.txtDuration, w.cboUnits, w.lblDateTime[1],
             w.txtSamplePeriod, w.lblSamplePeriod, w.txtOthers, w.lblOthers})
      seen += input->isHidden() ? '-' : '+';
    EXPECT_EQ(seen, shown);
    if (!othersLabel.isEmpty()) {
      EXPECT_EQ(w.lblOthers->text(), othersLabel);
    }
  }
}

TEST_F(RequestPanel, PeriodInputsRefuseTheRequestWithTheBoxThatNamesThem) {
  struct Case {
    int kind;
    const char *end, *duration, *period;
    const char* box;  // nullptr: the query runs
  };
  const Case cases[] = {
      {0, "now()", "10", "2", "Incorrect date time entry!"},
      {0, "Now()", "ten", "2", "Incorrect duration entry!"},
      {0, "Now()", "24856", "2", "Incorrect duration entry!"},  // with "Days"
      {1, "Now()", "10", "0", "Incorrect sample period entry!"},
      {0, "15/03/2024 10:30", "0", "2", nullptr},
      {1, "Now()", "-5", "2", nullptr},
  };
  ReplaceText(w.cboTagNames[2], "TREND1");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.end) + " | " + c.duration + " | " + c.period);
    host.boxes.clear();
    api.calls.clear();
    w.lblStatus->setText("Status: before");
    PickWithKeys(w.cboUnits, QString(c.duration) == "24856" ? "Days" : "Minutes");
    w.optRead[c.kind]->click();
    ReplaceText(w.txtEndDateTime, c.end);
    ReplaceText(w.txtDuration, c.duration);
    if (c.kind == 1) ReplaceText(w.txtSamplePeriod, c.period);
    w.cmdReadAlarmTrend->click();
    if (c.box) {
      EXPECT_EQ(host.shownBoxes(), QStringList{QString("TestZnAPI|info|") + c.box});
    }
    EXPECT_EQ(api.countOf("znFindFirst"), c.box ? 0 : 1);
    EXPECT_EQ(status(), kRequestTiming) << "the timing line follows a refused request too";
    EXPECT_EQ(host.pointer, ui::kPointerDefault);
  }
}

TEST_F(RequestPanel, AlarmsIgnoreThePeriodInputsAndTimingCoversTheConnection) {
  host.clock = {{2024, 3, 15, 10, 30, 0}, {2024, 3, 15, 10, 30, 4}};
  ReplaceText(w.txtEndDateTime, "garbage");
  ReplaceText(w.txtDuration, "garbage");
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
  setPane(u"line 1\r\nline 2\r\n");
  for (const auto& [function, shown] : calls) {
    ReplaceText(w.txtOthers, function);
    request(4);
    EXPECT_EQ(pane(), shown) << function.toStdString();
    EXPECT_EQ(status(), kRequestTiming);
  }
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(RequestPanel, OneRequestAtATimeAndCancelIsClearedWhenItStarts) {
  local.tables["ZNAPIAlarm(0, 0, 0)"].records = {{{"Tag", "T1"}}, {{"Tag", "T2"}}};
  w.CancelRequested = binding::kTrue;
  bool nested = false;
  host.onDoEvents = [&] {
    if (std::exchange(nested, true)) return;
    EXPECT_EQ(w.CancelRequested, binding::kFalse);
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
