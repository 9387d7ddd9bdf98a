// Single tag read and write through the window's controls, against the scripted library.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ConnectionTable.h"
#include "FakeHost.h"
#include "FakeZnApi.h"
#include "Widgets.h"
#include "frmTestConnection.h"

namespace {

struct TagReadWrite : ::testing::Test {
  fake::FakeZnApi api;
  server::basZNAPI module{api};
  fake::FakeHost host;
  frmTestConnection w{module, host};

  TagReadWrite() { api.server("").tags["T1"] = "12.5"; }

  void read(const QString& tag) {
    w.cboTagNames[0]->setEditText(tag);
    w.cmdRead->click();
  }
  void write(const QString& tag, const QString& value) {
    w.cboTagNames[0]->setEditText(tag);
    w.txtValue->setText(value);
    w.cmdWrite->click();
  }
  QString status() const { return w.lblStatus->text(); }
};

TEST_F(TagReadWrite, EmptyTagNameAsksForATagAndCallsNothing) {
  w.lblStatus->setText("Status: before");
  read("");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "No tag is selected!");
  EXPECT_EQ(host.boxes[0].shownTitle(), "Tag Read");
  EXPECT_EQ(host.boxes[0].style, ui::kStyleInformation);
  // Read resets the pointer after its box; Write leaves it alone.
  EXPECT_EQ(host.pointers, std::vector<int>{ui::kPointerDefault});

  host.pointer = ui::kPointerIcon;
  write("", "5");
  ASSERT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(host.boxes[1].text, "No tag is selected!");
  EXPECT_EQ(host.boxes[1].shownTitle(), "Tag Write");
  EXPECT_EQ(host.pointer, ui::kPointerIcon);
  EXPECT_EQ(host.pointers.size(), 1u);

  EXPECT_TRUE(api.calls.empty());
  EXPECT_EQ(status(), "Status: before");
}

TEST_F(TagReadWrite, WithoutAServerOnlyTheStatusLineSaysSo) {
  api.server("").up = false;
  w.txtValue->setText("kept");
  read("T1");
  EXPECT_EQ(status(), "Status: No ZNAPI connection is available.");
  EXPECT_EQ(w.txtValue->text(), "kept");
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));

  write("T1", "3");
  EXPECT_EQ(status(), "Status: No ZNAPI connection is available.");
  EXPECT_EQ(api.countOf("znTagWrite"), 0);
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(TagReadWrite, FailedReadEmptiesTheValueBox) {
  w.txtValue->setText("old value");
  read("Missing");
  EXPECT_EQ(status(), "Status: reading Missing failed.");
  EXPECT_EQ(w.txtValue->text(), "");
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(TagReadWrite, ShowsNumbersInTheirOwnFormAndTextsAsRead) {
  struct Case {
    std::string server;
    QString shown;
  };
  const Case cases[] = {
      {"12.50", "12.5"},
      {"007", "7"},
      {"-0.25", "-0.25"},
      {"RUN", "RUN"},
      {"Open valve", "Open valve"},
      {"", ""},  // an empty text is a value too
  };
  for (const auto& c : cases) {
    api.server("").tags["V"] = c.server;
    w.txtValue->setText("before");
    read("V");
    EXPECT_EQ(w.txtValue->text(), c.shown) << c.server;
    EXPECT_EQ(status(), "Status: Reading V takes about 1 second from 'LOCAL'.") << c.server;
  }
}

TEST_F(TagReadWrite, TimingCountsClockSecondBoundariesFromJustBeforeTheRead) {
  struct Case {
    ui::LocalDateTime start, end;
    QString expected;
  };
  const Case cases[] = {
      {{2024, 3, 15, 10, 30, 0},
       {2024, 3, 15, 10, 30, 0},
       "Status: Reading T1 takes about 1 second from 'LOCAL'."},
      {{2024, 3, 15, 10, 30, 0},
       {2024, 3, 15, 10, 30, 1},
       "Status: Reading T1 takes about 1 second(s) from 'LOCAL'."},
      {{2024, 3, 15, 23, 59, 58},
       {2024, 3, 16, 0, 0, 5},
       "Status: Reading T1 takes about 7 second(s) from 'LOCAL'."},
      // The clock was set back during the read.
      {{2024, 3, 15, 10, 30, 2},
       {2024, 3, 15, 10, 30, 0},
       "Status: Reading T1 takes about -2 second(s) from 'LOCAL'."},
  };
  for (const auto& c : cases) {
    host.clock = {c.start, c.end};
    std::size_t readingsBeforeRead = 99;
    api.onCall = [&](const fake::Call& call) {
      if (call.name == "znTagRead") readingsBeforeRead = 2 - host.clock.size();
    };
    read("T1");
    EXPECT_EQ(readingsBeforeRead, 1u) << "start instant is read just before the library call";
    EXPECT_TRUE(host.clock.empty());
    EXPECT_EQ(status(), c.expected);
  }
  api.onCall = nullptr;
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

TEST_F(TagReadWrite, SendsTheNameAndValueUnchanged) {
  api.server("").tags["  "] = "1";
  read("  ");
  ASSERT_EQ(api.countOf("znTagRead"), 1);
  EXPECT_EQ(api.callsOf("znTagRead")[0].args[1], "  ");
  EXPECT_EQ(api.callsOf("znTagRead")[0].args[2], "255");

  write(" T1 ", "");
  ASSERT_EQ(api.countOf("znTagWrite"), 1);
  EXPECT_EQ(api.callsOf("znTagWrite")[0].args[1], " T1 ");
  EXPECT_EQ(api.callsOf("znTagWrite")[0].args[2], "");
  EXPECT_EQ(status(), "Status: Writing to  T1  is successful to 'LOCAL'.");
  EXPECT_EQ(api.server("").tags[" T1 "], "");
}

TEST_F(TagReadWrite, RefusedWriteKeepsTheValueAndSaysSo) {
  api.server("").writeRefused.insert("T1");
  write("T1", "99");
  EXPECT_EQ(status(), "Status: Writing to T1 failed.");
  EXPECT_EQ(w.txtValue->text(), "99");
  EXPECT_EQ(api.server("").tags["T1"], "12.5");
  EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
}

TEST_F(TagReadWrite, WriteThenReadRoundTrips) {
  write("T1", "42.75");
  w.txtValue->clear();
  read("T1");
  EXPECT_EQ(w.txtValue->text(), "42.75");
}

TEST_F(TagReadWrite, MissingLibraryIsReportedAndTheWindowCarriesOn) {
  api.missingLibrary = "libznapi.so: cannot open shared object file";
  w.lblStatus->setText("Status: before");
  for (QPushButton* button : {w.cmdRead, w.cmdWrite}) {
    host.boxes.clear();
    w.cboTagNames[0]->setEditText("T1");
    button->click();
    ASSERT_EQ(host.boxes.size(), 1u) << button->text().toStdString();
    EXPECT_EQ(host.boxes[0].style, ui::kStyleCritical);
    EXPECT_EQ(host.boxes[0].shownTitle(), "Error");
    EXPECT_TRUE(host.boxes[0].text.contains("cannot open"));
    EXPECT_EQ(host.pointer, ui::kPointerDefault);
  }
  EXPECT_EQ(status(), "Status: before");
}

TEST_F(TagReadWrite, AWriteEntryPointMissingAfterConnectingIsReportedToo) {
  api.onCall = [](const fake::Call& call) {
    if (call.name == "znTagWrite") throw server::LibraryError("undefined symbol: znTagWrite");
  };
  write("T1", "1");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].shownTitle(), "Error");
  EXPECT_EQ(host.boxes[0].text, "undefined symbol: znTagWrite");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(TagReadWrite, NeitherLetsEventsRun) {
  read("T1");
  write("T1", "2");
  EXPECT_EQ(host.doEventsCount, 0);
}

}  // namespace
