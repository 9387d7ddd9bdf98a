// The call log as a table: the rows a filter keeps in step with a ring that drops its oldest
// calls, and the fields of a row.
#include <gtest/gtest.h>

#include <QDateTime>

#include "CallLogTable.h"
#include "QStringPrinting.h"

namespace {

using binding::CallLog;
using calllog::CallLogRows;

void Add(CallLog& log, std::int32_t result) {
  binding::CallRecord& record = log.Append();
  record = {};
  record.op = binding::ZnOp::znClose;
  record.result = result;
  record.numbers[0] = static_cast<std::int32_t>(log.end() - 1);  // its own number
}

// The log numbers of the rows, or -1 for a row whose call the log has dropped.
std::vector<int> Numbers(const CallLogRows& rows) {
  std::vector<int> out;
  for (std::size_t i = 0; i < rows.size(); ++i)
    out.push_back(rows.at(i) ? rows.at(i)->numbers[0] : -1);
  return out;
}

// One step of the view: what is stale, then the rows after dropping it and appending the new.
std::size_t Step(CallLogRows& rows) {
  const std::size_t stale = rows.Stale();
  rows.DropStale();
  rows.Append(rows.Fresh());
  return stale;
}

TEST(CallLogRows, FollowTheRingUnderTheirFilter) {
  CallLog log(4);
  CallLogRows rows(log);
  for (std::int32_t result : {0, 1, 0}) Add(log, result);
  rows.Reset({std::nullopt, true});
  EXPECT_EQ(Numbers(rows), (std::vector<int>{0, 2}));

  for (std::int32_t result : {1, 0, 0}) Add(log, result);  // the ring drops 0 and 1
  EXPECT_EQ(Numbers(rows), (std::vector<int>{-1, 2})) << "shown blank until the view steps";
  EXPECT_EQ(Step(rows), 1u);
  EXPECT_EQ(Numbers(rows), (std::vector<int>{2, 4, 5}));

  for (int i = 0; i < 5; ++i) Add(log, 0);  // 6 is dropped before it was ever seen
  EXPECT_EQ(Step(rows), 3u);
  EXPECT_EQ(Numbers(rows), (std::vector<int>{7, 8, 9, 10}));

  log.Clear();
  EXPECT_EQ(Step(rows), 4u);
  EXPECT_EQ(rows.size(), 0u);
  rows.Reset({binding::ZnOp::znOpen, false});
  EXPECT_EQ(rows.size(), 0u) << "an operation filter passes only that operation";
}

// Each field is whole text, commas, quotes and line breaks included: the table's writer quotes it.
TEST(CallLogTable, FieldsAreTheCallAsTheUserReadsIt) {
  CallLog log;
  binding::CallRecord& call = log.Append();
  call.startMs = 1'700'000'000'123;
  call.op = binding::ZnOp::znZncode;
  call.result = 1;
  call.durationUs = 1234;
  call.numbers = {1, 0, 0, 255, 0};
  call.texts[0] = "Concat(\"a,b\", \"\r\nc\")";
  call.returned = "a,b \"\xE9\x80\"";  // Windows-1252: e acute, euro sign
  binding::CallRecord& failed = log.Append();
  failed = call;
  failed.op = binding::ZnOp::znOpen;
  failed.result = 0;
  failed.texts = {"127.0.0.1:1", "Engineer"};
  failed.returned.clear();
  failed.reason = "connection refused by 127.0.0.1:1";

  const QString time =
      QDateTime::fromMSecsSinceEpoch(call.startMs).toString("yyyy-MM-dd HH:mm:ss.zzz");
  EXPECT_EQ(calllog::ColumnTitles(),
            (QStringList{"Time", "Operation", "Arguments", "Result", "Returned text",
                         "Duration (\u00B5s)", "Reason"}));
  EXPECT_EQ(calllog::RecordFields(log.at(0)),
            (QStringList{time, "znZncode", "1, \"Concat(\"a,b\", \"\r\nc\")\", 0, 0, 255, 0", "1",
                         "a,b \"\u00E9\u20AC\"", "1234", ""}));
  EXPECT_EQ(calllog::RecordFields(log.at(1)),
            (QStringList{time, "znOpen", "\"127.0.0.1:1\", \"Engineer\", ******, 1", "0", "",
                         "1234", "connection refused by 127.0.0.1:1"}));
}

}  // namespace
