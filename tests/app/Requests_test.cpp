// The request panel: the inputs each kind shows, the checks of the period inputs, the
// dispatch, the status line and the guard against a second request.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ConnectionTable.h"
#include "FakeHost.h"
#include "FakeZnApi.h"
#include "Widgets.h"
#include "frmTestConnection.h"

// Readable failure messages for texts.
static void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kNoConnection = "Status: No ZNAPI connection is available.";
const QString kRequestTiming = "Status: Request takes about 1 second from 'LOCAL'.";

struct RequestPanel : ::testing::Test {
  fake::FakeZnApi api;
  server::basZNAPI module{api};
  fake::FakeHost host;
  frmTestConnection w{module, host};

  RequestPanel() { api.server(""); }  // the local server answers

  void choose(int kind) { w.optRead[kind]->click(); }
  std::vector<std::string> findTables() const {
    std::vector<std::string> out;
    for (const auto& c : api.callsOf("znFindFirst")) out.push_back(c.args[1]);
    return out;
  }
  std::vector<QString> boxTexts() const {
    std::vector<QString> out;
    for (const auto& b : host.boxes) out.push_back(b.text);
    return out;
  }
};

TEST_F(RequestPanel, EachKindShowsItsOwnInputs) {
  struct Case {
    int kind;
    bool period, sample, others;
    const char* othersLabel;
  };
  const Case cases[] = {
      {1, true, true, false, ""},
      {0, true, false, false, ""},
      {3, false, false, true, "Device Name:"},
      {2, true, false, false, ""},
      {4, false, false, true, "Func Name:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    choose(c.kind);
    EXPECT_EQ(w.RequestKind, c.kind);
    for (QWidget* p :
         {static_cast<QWidget*>(w.txtEndDateTime), static_cast<QWidget*>(w.lblDateTime[0]),
          static_cast<QWidget*>(w.txtDuration), static_cast<QWidget*>(w.cboUnits),
          static_cast<QWidget*>(w.lblDateTime[1])})
      EXPECT_EQ(!p->isHidden(), c.period) << p->objectName().toStdString();
    EXPECT_EQ(!w.txtSamplePeriod->isHidden(), c.sample);
    EXPECT_EQ(!w.lblSamplePeriod->isHidden(), c.sample);
    EXPECT_EQ(!w.txtOthers->isHidden(), c.others);
    EXPECT_EQ(!w.lblOthers->isHidden(), c.others);
    if (c.others) EXPECT_EQ(w.lblOthers->text(), c.othersLabel);
  }
}

TEST_F(RequestPanel, NameOrFunctionBoxTakesTheRowOfTheEndTimeAndStaysThere) {
  const QRect before = w.txtOthers->geometry();
  choose(3);
  const QRect moved = w.txtOthers->geometry();
  EXPECT_EQ(moved.left(), w.cboTagNames[1]->x());
  EXPECT_EQ(moved.top(), w.txtEndDateTime->y());
  EXPECT_EQ(moved.width(), ui::TwipsToPixels(7575));
  EXPECT_EQ(moved.height(), before.height());
  EXPECT_EQ(w.lblOthers->pos(), w.lblDateTime[0]->pos());
  choose(4);
  EXPECT_EQ(w.txtOthers->geometry(), moved);
  choose(0);
  EXPECT_TRUE(w.txtOthers->isHidden());
  EXPECT_EQ(w.txtOthers->geometry(), moved) << "hidden again, not moved back";
}

TEST_F(RequestPanel, WithoutAConnectionSaysSoAndAsksNothing) {
  api.server("").up = false;
  w.txtRequestedData->setText("old");
  w.cmdReadAlarmTrend->click();
  EXPECT_EQ(w.lblStatus->text(), kNoConnection);
  EXPECT_EQ(api.countOf("znFindFirst"), 0);
  EXPECT_EQ(w.txtRequestedData->text(), "old");
  EXPECT_TRUE(w.lblRequestCount->isHidden());
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(RequestPanel, MissingLibraryIsReportedAndTheRequestEnds) {
  api.missingLibrary = "libznapi.so: cannot open shared object file";
  w.cmdReadAlarmTrend->click();
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].style, ui::kStyleCritical);
  EXPECT_EQ(host.boxes[0].shownTitle(), "Error");
  EXPECT_EQ(w.lblStatus->text(), "Status:");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
  EXPECT_FALSE(w.cmdCancelRead->isEnabled());
}

TEST_F(RequestPanel, PeriodInputsRefuseTheRequestWithTheBoxThatNamesThem) {
  struct Case {
    int kind;
    const char* end;
    const char* duration;
    const char* period;
    const char* box;  // nullptr: the query runs
  };
  const Case cases[] = {
      {0, "now()", "10", "2", "Incorrect date time entry!"},
      {0, " Now()", "10", "2", "Incorrect date time entry!"},
      {0, "32/01/2024", "10", "2", "Incorrect date time entry!"},
      {0, "Now()", "ten", "2", "Incorrect duration entry!"},
      {0, "Now()", "40000", "2", "Incorrect duration entry!"},
      {0, "Now()", "24856", "2", "Incorrect duration entry!"},  // with "Days"
      {1, "Now()", "10", "abc", "Incorrect sample period entry!"},
      {1, "Now()", "10", "0", "Incorrect sample period entry!"},
      {1, "Now()", "10", "0.4", "Incorrect sample period entry!"},
      {1, "Now()", "10", "40000", "Incorrect sample period entry!"},
      {0, "15/03/2024 10:30", "0", "2", nullptr},
      {1, "Now()", "-5", "2", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.end) + " | " + c.duration + " | " + c.period);
    host.boxes.clear();
    api.calls.clear();
    w.lblStatus->setText("Status: before");
    choose(c.kind);
    w.cboTagNames[2]->setEditText("TREND1");
    w.cboUnits->setCurrentIndex(QString(c.duration) == "24856" ? 0 : 2);
    w.txtEndDateTime->setText(c.end);
    w.txtDuration->setText(c.duration);
    w.txtSamplePeriod->setText(c.period);
    w.cmdReadAlarmTrend->click();
    if (c.box) {
      ASSERT_EQ(host.boxes.size(), 1u);
      EXPECT_EQ(host.boxes[0].text, c.box);
      EXPECT_EQ(host.boxes[0].style, ui::kStyleInformation);
      EXPECT_EQ(host.boxes[0].shownTitle(), "TestZnAPI");
      EXPECT_EQ(api.countOf("znFindFirst"), 0);
      EXPECT_EQ(w.lblStatus->text(), "Status: before") << "a refused request reports no timing";
    } else {
      EXPECT_EQ(api.countOf("znFindFirst"), 1);
      EXPECT_EQ(w.lblStatus->text(), kRequestTiming);
    }
    EXPECT_FALSE(w.cmdCancelRead->isEnabled());
    EXPECT_EQ(host.pointer, ui::kPointerDefault);
  }
}

TEST_F(RequestPanel, BadEndTextMovesTheFocusAndKeepsBothPeriodTexts) {
  w.RequestStartText = "a";
  w.RequestEndText = "b";
  w.txtEndDateTime->setText("yesterday");
  w.cmdReadAlarmTrend->setFocus();
  EXPECT_FALSE(w.ValidateTimeRange());
  EXPECT_EQ(w.RequestStartText, "a");
  EXPECT_EQ(w.RequestEndText, "b");
  EXPECT_EQ(w.focusWidget(), w.txtEndDateTime);
}

TEST_F(RequestPanel, BadDurationStillUpdatesTheEndText) {
  w.RequestStartText = "a";
  w.txtEndDateTime->setText("04/05/2005 04:00:24");
  w.txtDuration->setText("x");
  EXPECT_FALSE(w.ValidateTimeRange());
  EXPECT_EQ(w.RequestEndText, "04/05/2005 04:00:24");
  EXPECT_EQ(w.RequestStartText, "a");
}

TEST_F(RequestPanel, PeriodTextsComeFromTheEndAndTheDuration) {
  struct Case {
    const char* end;
    const char* duration;
    int unit;
    const char* start;
    const char* endText;
  };
  const Case cases[] = {
      {"Now()", "10", 2, "15/03/2024 10:20:00", "15/03/2024 10:30:00"},
      {"4/5/2005 4:00:24", "10", 2, "04/05/2005 03:50:24", "04/05/2005 04:00:24"},
      {"04/05/2005", "2.5", 1, "03/05/2005 22:00:00", "04/05/2005 00:00:00"},
      {"04/05/2005", "3.5", 3, "03/05/2005 23:59:56", "04/05/2005 00:00:00"},
      {"04/05/2005", "-1", 0, "05/05/2005 00:00:00", "04/05/2005 00:00:00"},
      {"01/03/2024 00:00:00", "0", 0, "01/03/2024 00:00:00", "01/03/2024 00:00:00"},
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
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(RequestPanel, AlarmsIgnoreThePeriodInputs) {
  choose(2);
  w.txtEndDateTime->setText("garbage");
  w.txtDuration->setText("garbage");
  w.cmdReadAlarmTrend->click();
  EXPECT_EQ(findTables(), (std::vector<std::string>{"ZNAPIAlarm(0, 0, 0)"}));
  EXPECT_EQ(boxTexts(), (std::vector<QString>{"Failed find any alarms!"}));
  EXPECT_EQ(w.lblStatus->text(), kRequestTiming) << "the server was asked";
}

TEST_F(RequestPanel, TimingCoversObtainingTheConnection) {
  host.clock = {{2024, 3, 15, 10, 30, 0}, {2024, 3, 15, 10, 30, 4}};
  choose(2);
  w.cmdReadAlarmTrend->click();
  EXPECT_EQ(w.lblStatus->text(), "Status: Request takes about 4 second(s) from 'LOCAL'.");
  ASSERT_FALSE(api.calls.empty());
  EXPECT_EQ(api.calls.front().name, "znOpen") << "the start instant is read before connecting";
}

TEST_F(RequestPanel, ZncodeReplacesThePaneOnlyWhenTheCallWorks) {
  api.server("").zncode = [](const std::string& f) -> std::optional<std::string> {
    if (f == " Version()") return "Zontra 7.2";
    if (f == "Empty()") return "";
    return std::nullopt;
  };
  choose(4);
  w.txtRequestedData->setText("line 1\r\nline 2\r\n");
  w.txtOthers->setText(" Version()");
  w.cmdReadAlarmTrend->click();
  EXPECT_EQ(w.txtRequestedData->text(), "Zontra 7.2");
  EXPECT_EQ(w.lblStatus->text(), kRequestTiming);

  w.txtOthers->setText("Nope()");
  w.cmdReadAlarmTrend->click();
  EXPECT_EQ(w.txtRequestedData->text(), "Zontra 7.2");
  EXPECT_EQ(w.lblStatus->text(), kRequestTiming);

  w.txtOthers->setText("Empty()");
  w.cmdReadAlarmTrend->click();
  EXPECT_EQ(w.txtRequestedData->text(), "");
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_TRUE(w.lblRequestCount->isHidden() == false);
}

TEST_F(RequestPanel, CancelFlagIsClearedWhenARequestStarts) {
  w.CancelRequested = server::kTrue;
  choose(2);
  w.cmdReadAlarmTrend->click();
  EXPECT_EQ(w.CancelRequested, server::kFalse);
}

TEST_F(RequestPanel, ServerButtonsDoNothingWhileARequestRunsButTheOthersDo) {
  auto& alarms = api.server("").tables["ZNAPIAlarm(0, 0, 0)"];
  alarms.records = {{{"Tag", "T1"}}, {{"Tag", "T2"}}};
  choose(2);
  int nested = 0;
  host.onDoEvents = [&] {
    if (nested++ > 0) return;
    const std::size_t before = api.calls.size();
    EXPECT_TRUE(w.cmdCancelRead->isEnabled());
    w.cmdReadAlarmTrend->click();
    w.cmdRead->click();
    w.cmdWrite->click();
    w.cmdTestConnection->click();
    w.cmdLoadZontraSchema->click();
    EXPECT_EQ(api.calls.size(), before) << "no second request reached the library";
    w.optRead[4]->click();
    EXPECT_EQ(w.RequestKind, 4) << "option buttons keep working";
    w.cmdCancelRead->click();
    EXPECT_EQ(w.CancelRequested, server::kTrue);
  };
  w.cmdReadAlarmTrend->click();
  EXPECT_EQ(api.countOf("znFindFirst"), 1);
  EXPECT_EQ(w.txtRequestedData->text().count("\r\n"), 2) << "alarms do not stop on cancel";
  EXPECT_FALSE(w.Busy());
}

}  // namespace
