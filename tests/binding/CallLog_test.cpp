// The call log behind the library seam: what each call leaves in it, the bound of its ring,
// and a library that cannot explain its failures or cannot be loaded.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "CallLog.h"
#include "FakeZnApi.h"
#include "RecordingZnApi.h"

namespace {

using binding::CallLog;
using binding::CallRecord;

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

struct Recorded {
  const char* op;
  std::string arguments;
  bool succeeded;
  std::string returned;
  std::string reason;
};

void ExpectRecords(const CallLog& log, const std::vector<Recorded>& expected) {
  ASSERT_EQ(log.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const CallRecord& record = log.at(log.first() + i);
    const Recorded& want = expected[i];
    EXPECT_STREQ(binding::ZnOpName(record.op), want.op) << i;
    EXPECT_EQ(binding::ArgumentsText(record), want.arguments) << want.op;
    EXPECT_EQ(record.result != 0, want.succeeded) << want.op;
    EXPECT_EQ(record.returned, want.returned) << want.op;
    EXPECT_EQ(record.reason, want.reason) << want.op;
    EXPECT_GE(record.durationUs, 0) << want.op;
    EXPECT_LE(std::abs(record.startMs - NowMs()), 60'000) << want.op;
  }
}

TEST(CallLog, EveryCallIsRecordedWithItsOutcomeAndNeverAPassword) {
  fake::FakeZnApi library;
  library.server("scada").tags["LIT101"] = "2.5";
  library.server("scada").tables["Tag"].records = {{{"Name", "LIT101"}}};
  library.reasons["znOpen"] = "login refused for user 'Engineer'";
  library.reasons["znTagRead"] = "unknown tag 'NOPE'";
  CallLog log;
  binding::RecordingZnApi api(library, log);

  EXPECT_EQ(api.znOpen("elsewhere", "Engineer", "Secret1", 0), 0);
  const std::int32_t h = api.znOpen("scada", "Engineer", "Marlow", 0);
  char value[255];
  api.znTagRead(h, "LIT101", value, 255);
  api.znTagRead(h, "NOPE", value, 255);
  std::int32_t record = 0;
  const std::int32_t search = api.znFindFirst(h, "Tag", "*", &record, 0);
  api.znGetProperty(record, "Name", value, 32, nullptr, 129);
  api.znFindScroll(search, 4, 0, &record);
  api.znFindNext(search, &record);  // past the last: no reason offered for it
  const std::string hText = std::to_string(h), searchText = std::to_string(search);
  const std::string recordText = std::to_string(record);
  ExpectRecords(log,
                {
                    {"znOpen", R"("elsewhere", "Engineer", ******, 0)", false, "",
                     "login refused for user 'Engineer'"},
                    {"znOpen", R"("scada", "Engineer", ******, 0)", true, "", ""},
                    {"znTagRead", hText + R"(, "LIT101", 255)", true, "2.5", ""},
                    {"znTagRead", hText + R"(, "NOPE", 255)", false, "", "unknown tag 'NOPE'"},
                    {"znFindFirst", hText + R"(, "Tag", "*", 0)", true, "record " + recordText, ""},
                    {"znGetProperty", recordText + R"(, "Name", 32, 129)", true, "LIT101", ""},
                    {"znFindScroll", searchText + ", 4, 0", true, "", ""},
                    {"znFindNext", searchText, false, "", ""},
                });
}

TEST(CallLog, AnErrorTheBindingRaisesIsRecordedAndPassedOn) {
  fake::FakeZnApi library;
  library.missingLibrary = "Cannot load libznapi.so: not found";
  CallLog log;
  binding::RecordingZnApi api(library, log);
  EXPECT_THROW(api.znClose(3), binding::LibraryError);
  ExpectRecords(log, {{"znClose", "3", false, "", "Cannot load libznapi.so: not found"}});
}

TEST(CallLog, TheRingKeepsTheNewestCallsAndRecordingCanBeSwitchedOff) {
  fake::FakeZnApi library;
  CallLog log(3);
  binding::RecordingZnApi api(library, log);
  for (std::int32_t h = 1; h <= 5; ++h) api.znClose(h);
  EXPECT_EQ(log.size(), 3u);
  EXPECT_EQ(log.first(), 2u);
  EXPECT_EQ(log.end(), 5u);
  for (std::uint64_t n = log.first(); n < log.end(); ++n) {
    EXPECT_EQ(log.at(n).numbers[0], static_cast<std::int32_t>(n + 1)) << "oldest dropped first";
  }
  log.Clear();
  EXPECT_EQ(log.size(), 0u);
  log.SetRecording(false);
  api.znClose(6);
  EXPECT_EQ(log.end(), 5u) << "numbering goes on after a clear; nothing recorded while off";
  EXPECT_EQ(library.countOf("znClose"), 6) << "the calls themselves still happen";
}

}  // namespace
