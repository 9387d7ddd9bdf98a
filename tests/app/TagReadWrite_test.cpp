// Single tag read and write through the window's controls, against the scripted library.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

struct TagReadWrite : MainWindowTest {
  TagReadWrite() { local.tags["T1"] = "12.5"; }

  void read(const QString& tag) {
    ReplaceText(w.cboTagNames[0], tag);
    w.cmdRead->click();
  }
  void write(const QString& tag, const QString& value) {
    ReplaceText(w.cboTagNames[0], tag);
    ReplaceText(w.txtValue, value);
    w.cmdWrite->click();
  }
};

TEST_F(TagReadWrite, NameBoxesKeepWhatWasTypedAndTheCallsReceiveIt) {
  for (const char* name : {"LIT101", "P101_Speed", "P101_Start"})
    local.tables["Tag"].records.push_back({{"Tag", name}});
  local.tables["_Trend"].records.push_back({{"Name", "PRESSURE"}});
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  w.cmdLoadZontraSchema->click();
  ASSERT_EQ(w.cboTagNames[0]->count(), 3);
  w.optRead[1]->click();
  struct Case {
    int box;
    QString typed;
    Qt::Key leave;  // focus-out, or Enter in the box
    QPushButton* button;
    const char* call;
    std::string sent;  // the call's text argument
  };
  const Case cases[] = {
      {0, "P101_S", Qt::Key_Tab, w.cmdWrite, "znTagWrite", "P101_S"},
      {0, "lit101", Qt::Key_Return, w.cmdRead, "znTagRead", "lit101"},
      {2, "PRES", Qt::Key_Tab, w.cmdReadAlarmTrend, "znFindFirst",
       "ZNAPITrend(\"10:30:00\",\"15/03/2024\",2, 300, 0, PRES)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    QComboBox* box = w.cboTagNames[c.box];
    QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
    ReplaceText(box, c.typed);
    QTest::keyClick(box->lineEdit(), c.leave);
    EXPECT_EQ(box->currentText(), c.typed);
    c.button->click();
    EXPECT_EQ(api.argsOf(c.call, 1).back(), c.sent);
    EXPECT_EQ(box->currentText(), c.typed);
  }
}

TEST_F(TagReadWrite, EmptyTagNameAsksForATagAndCallsNothing) {
  w.lblStatus->setText("Status: before");
  read("");
  write("", "5");
  EXPECT_EQ(host.shownBoxes(), (QStringList{"Tag Read|info|No tag is selected!",
                                            "Tag Write|info|No tag is selected!"}));
  EXPECT_TRUE(api.calls.empty());
  EXPECT_EQ(status(), "Status: before");
}

TEST_F(TagReadWrite, WithoutAServerOnlyTheStatusLineSaysSo) {
  local.up = false;
  w.txtValue->setText("kept");
  read("T1");
  EXPECT_EQ(status(), "Status: No ZNAPI connection is available.");
  EXPECT_EQ(w.txtValue->text(), "kept");
  w.lblStatus->clear();
  write("T1", "3");
  EXPECT_EQ(status(), "Status: No ZNAPI connection is available.");
  EXPECT_EQ(api.countOf("znTagWrite"), 0);
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(TagReadWrite, ShowsNumbersInTheirOwnFormAndTextsAsReadWithoutLettingEventsRun) {
  // An empty text is a value too.
  const std::pair<std::string, QString> cases[] = {
      {"12.50", "12.5"}, {"007", "7"}, {"-0.25", "-0.25"}, {"Open valve", "Open valve"}, {"", ""}};
  for (const auto& [value, shown] : cases) {
    local.tags["V"] = value;
    w.txtValue->setText("before");
    read("V");
    EXPECT_EQ(w.txtValue->text(), shown) << value;
    EXPECT_EQ(status(), "Status: Reading V takes about 1 second from 'LOCAL'.") << value;
  }
  write("T1", "2");
  EXPECT_EQ(host.doEventsCount, 0);
}

TEST_F(TagReadWrite, TimingCountsClockSecondBoundariesFromJustBeforeTheRead) {
  struct Case {
    ui::LocalDateTime start, end;
    const char* took;
  };
  const Case cases[] = {
      {{2024, 3, 15, 10, 30, 0}, {2024, 3, 15, 10, 30, 0}, "1 second"},
      {{2024, 3, 15, 10, 30, 0}, {2024, 3, 15, 10, 30, 1}, "1 second(s)"},
      {{2024, 3, 15, 23, 59, 58}, {2024, 3, 16, 0, 0, 5}, "7 second(s)"},
      {{2024, 3, 15, 10, 30, 2}, {2024, 3, 15, 10, 30, 0}, "-2 second(s)"},  // clock set back
  };
  std::size_t readingsBeforeRead = 99;
  api.onCall = [&](const fake::Call& call) {
    if (call.name == "znTagRead") readingsBeforeRead = 2 - host.clock.size();
  };
  for (const auto& c : cases) {
    host.clock = {c.start, c.end};
    read("T1");
    EXPECT_EQ(readingsBeforeRead, 1u) << "start instant is read just before the library call";
    EXPECT_TRUE(host.clock.empty());
    EXPECT_EQ(status(), QString("Status: Reading T1 takes about %1 from 'LOCAL'.").arg(c.took));
  }
}

TEST_F(TagReadWrite, NamesTheServerThatAnswered) {
  api.server("primary").up = false;
  api.server("standby").tags["T1"] = "4";
  w.txtComputer[0]->setText("primary");
  w.txtComputer[1]->setText("standby");
  w.chkEnableRedundant->click();
  read("T1");
  EXPECT_EQ(w.txtValue->text(), "4");
  EXPECT_EQ(status(), "Status: Reading T1 takes about 1 second from 'standby'.");
  write("T1", "5");
  EXPECT_EQ(status(), "Status: Writing to T1 is successful to 'standby'.");
  EXPECT_EQ(api.server("standby").tags["T1"], "5");
}

// A digital tag takes only 0 or 1; a text tag takes the word itself. Only a digital word costs
// a read to tell them apart. Anything else goes as typed, blanks and all.
TEST_F(TagReadWrite, DigitalWordsGoAsOneOrZeroToATagThatHoldsANumber) {
  local.tags["MSG"] = "Open valve";
  const std::tuple<QString, QString, std::string, int> cases[] = {
      {"T1", "on", "1", 1},   {"T1", " FALSE ", "0", 1}, {"T1", "True", "1", 1},
      {"T1", "Off", "0", 1},  {"T1", "2", "2", 0},       {"T1", "onn", "onn", 0},
      {"MSG", "ON", "ON", 1}, {" T1 ", "", "", 0},
  };
  for (const auto& [tag, typed, sent, reads] : cases) {
    SCOPED_TRACE(typed.toStdString());
    const int readsBefore = api.countOf("znTagRead");
    write(tag, typed);
    EXPECT_EQ(api.argsOf("znTagWrite", 1).back(), tag.toStdString());
    EXPECT_EQ(api.argsOf("znTagWrite", 2).back(), sent);
    EXPECT_EQ(api.countOf("znTagRead") - readsBefore, reads);
    EXPECT_EQ(status(), "Status: Writing to " + tag + " is successful to 'LOCAL'.");
  }
}

TEST_F(TagReadWrite, AMissingLibraryOrEntryPointIsReportedAndTheWindowCarriesOn) {
  api.onCall = [](const fake::Call& call) {
    if (call.name == "znTagWrite") throw binding::LibraryError("undefined symbol: znTagWrite");
  };
  write("T1", "1");
  EXPECT_EQ(host.shownBoxes(), QStringList{"Error|critical|undefined symbol: znTagWrite"});
  w.lblStatus->setText("Status: before");
  const QStringList box = missingLibrary();
  for (QPushButton* button : {w.cmdRead, w.cmdWrite}) {
    host.boxes.clear();
    button->click();
    EXPECT_EQ(host.shownBoxes(), box) << button->text().toStdString();
    EXPECT_EQ(host.pointer, ui::kPointerDefault);
  }
  EXPECT_EQ(status(), "Status: before");
}

}  // namespace
}  // namespace app_test
