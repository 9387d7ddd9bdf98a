// The main window against a real znsim through the real libznapi.so: Load Tags and the clock.
// Read and Write end to end are in the failover tests.
#include <QComboBox>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <string>

#include "TextValues.h"
#include "Widgets.h"
#include "WindowOnServer.h"

namespace {

/// One field of every record of a table, sorted as the name boxes sort, read over a connection
/// of the test's own.
QStringList SortedNames(binding::ZnApi& api, const std::string& computer, const char* table,
                        const char* field) {
  const std::int32_t h = api.znOpen(computer.c_str(), "Engineer", "Marlow", 0);
  EXPECT_GT(h, 0);
  QStringList names;
  std::int32_t object = 0;
  const std::int32_t search = api.znFindFirst(h, table, "*", &object, 0);
  for (bool more = search != 0; more; more = api.znFindNext(search, &object) != 0) {
    std::array<char, 256> buffer{};
    std::int32_t length = 0;
    api.znGetProperty(object, field, buffer.data(), buffer.size(), &length, 129);
    names << logic::FromAnsi(buffer.data());
  }
  if (search) api.znFindClose(search);
  api.znClose(h);
  // Stable, as the box keeps names that compare equal in the order they came.
  std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  return names;
}

QStringList Items(const QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

using MainWindowE2E = e2e_test::WindowOnServer;

TEST_F(MainWindowE2E, LoadTagsFillsTheBoxesWithTheServersNames) {
  ASSERT_EQ(w.lblStatus->text(), "Status: Connected to '" + server + "'.");
  w.cmdLoadZontraSchema->click();
  EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text.toStdString();
  EXPECT_EQ(host.pointer, ui::kPointerIcon);

  const std::array<QStringList, 3> server{
      SortedNames(library, sim.address(), "Tag", "Tag"),
      SortedNames(library, sim.address(), "ZNAPIAlarm(0, 4, 0)", "Tag"),
      SortedNames(library, sim.address(), "_Trend", "Name")};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ASSERT_GT(server[i].size(), 0);
    EXPECT_EQ(Items(w.cboTagNames[i]), server[i]);
    EXPECT_EQ(w.lblTotalTagCount[i]->text(), "Tags: " + QString::number(server[i].size()));
    EXPECT_FALSE(w.lblTotalTagCount[i]->isHidden());
  }
  EXPECT_TRUE(w.picProgress->isHidden());
}

TEST_F(MainWindowE2E, ClockShowsTheServersTimeAndFindsItGone) {
  w.Timer1_Timer();
  const QRegularExpression shown("^" + QRegularExpression::escape(server) +
                                 "'s time: \\d\\d:\\d\\d:\\d\\d$");
  const QString first = w.lblSCADATime->text();
  EXPECT_TRUE(shown.match(first).hasMatch()) << first.toStdString();

  sim.kill9();
  w.Timer1_Timer();
  EXPECT_EQ(w.lblSCADATime->text(), first) << "a dead server leaves the last time shown";
  EXPECT_EQ(module.table().Handle[0], 0) << "the dead connection was closed";
  EXPECT_TRUE(host.boxes.empty());
}

}  // namespace
