// Script functions, tag reads and writes, result buffers and handle checking against a real
// znsim.
#include <gtest/gtest.h>

#include <climits>
#include <regex>
#include <string>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using testing_support::ZnsimProcess;

class Calls : public ::testing::Test {
 protected:
  void SetUp() override {
    h_ = OpenTo(server_);
    ASSERT_GT(h_, 0);
  }
  void TearDown() override { znClose(h_); }

  ZnsimProcess server_;
  int32_t h_ = 0;
};

TEST_F(Calls, ScriptFunctionsAnswer) {
  const auto time = Zncode(h_, "Time(1)");
  ASSERT_TRUE(time.has_value());
  EXPECT_TRUE(std::regex_match(*time, std::regex(R"(\d\d:\d\d:\d\d)"))) << *time;
  const auto date = Zncode(h_, "Date(1)");
  ASSERT_TRUE(date.has_value());
  EXPECT_TRUE(std::regex_match(*date, std::regex(R"(\d\d/\d\d/\d{4})"))) << *date;
  EXPECT_EQ(Zncode(h_, "TagRead(\"SHIFT_Operator\")"), "J. Okafor");
  EXPECT_FALSE(Zncode(h_, "NoSuchFunction(").has_value());
  // A refused script leaves the connection working.
  EXPECT_TRUE(Zncode(h_, "Time(1)").has_value());
}

TEST_F(Calls, TagWriteIsReadBack) {
  EXPECT_NE(znTagWrite(h_, "PLANT_Message", "Library round trip"), 0);
  EXPECT_EQ(ReadTag(h_, "PLANT_Message"), "Library round trip");
  EXPECT_EQ(znTagWrite(h_, "NO_SUCH_TAG", "1"), 0);
  EXPECT_FALSE(ReadTag(h_, "NO_SUCH_TAG").has_value());
  EXPECT_FALSE(ReadTag(h_, "").has_value());
  // Failed requests leave the connection working.
  EXPECT_TRUE(ReadTag(h_, "LIT101").has_value());
}

TEST_F(Calls, FailedReadLeavesTheBufferAlone) {
  char value[16];
  std::fill(std::begin(value), std::end(value), '#');
  EXPECT_EQ(znTagRead(h_, "NO_SUCH_TAG", value, sizeof value), 0);
  EXPECT_EQ(std::string(value, sizeof value), std::string(sizeof value, '#'));
}

TEST_F(Calls, ResultBuffersAreCutAndTerminatedAtEveryLength) {
  const std::string text = "Buffer rule 0123456789";
  ASSERT_NE(znTagWrite(h_, "PLANT_Message", text.c_str()), 0);
  constexpr int kGuard = 8;
  for (int length = 1; length <= static_cast<int>(text.size()) + 3; ++length) {
    const std::size_t n = static_cast<std::size_t>(length);
    const std::size_t kept = std::min(n - 1, text.size());
    const std::string expected = text.substr(0, kept);

    std::string tagBuffer(n + kGuard, '#');
    ASSERT_NE(znTagRead(h_, "PLANT_Message", tagBuffer.data(), length), 0) << length;
    std::string scriptBuffer(n + kGuard, '#');
    ASSERT_NE(znZncode(h_, "TagRead(\"PLANT_Message\")", 0, 0, scriptBuffer.data(), length, 0), 0)
        << length;
    for (const std::string* buffer : {&tagBuffer, &scriptBuffer}) {
      EXPECT_EQ(std::string(buffer->c_str()), expected) << "length " << length;
      EXPECT_EQ(buffer->substr(n), std::string(kGuard, '#')) << "wrote past length " << length;
    }
  }
}

TEST(Persistence, WrittenValueSurvivesAKillAndRestart) {
  const std::string dataDir = testing_support::MakeTempDir("znapi-restart-");
  std::optional<std::string> setpoint;
  {
    ZnsimProcess first({}, dataDir);
    const int32_t h = OpenTo(first);
    ASSERT_GT(h, 0);
    ASSERT_NE(znTagWrite(h, "PLANT_Message", "kept across a crash"), 0);
    ASSERT_NE(znTagWrite(h, "CL_Residual_SP", "1.25"), 0);
    setpoint = ReadTag(h, "CL_Residual_SP");
    first.kill9();
    EXPECT_FALSE(ReadTag(h, "PLANT_Message").has_value()) << "the server is gone";
    znClose(h);
  }
  ZnsimProcess second({}, dataDir);
  const int32_t h = OpenTo(second);
  ASSERT_GT(h, 0);
  EXPECT_EQ(ReadTag(h, "PLANT_Message"), "kept across a crash");
  EXPECT_EQ(ReadTag(h, "CL_Residual_SP"), setpoint);
  znClose(h);
  second.kill9();
  std::error_code ignored;
  std::filesystem::remove_all(dataDir, ignored);
}

// Every entry point with handles that name nothing, something closed, or something of
// another kind: each call fails, writes nothing and leaves the real objects working.
TEST_F(Calls, BadHandlesFailAndTouchNothing) {
  int32_t record = 0;
  const int32_t search = znFindFirst(h_, "Tag", "*", &record, 0);
  ASSERT_GT(search, 0);
  const int32_t list = znListNew(h_, 0);
  ASSERT_GT(list, 0);
  const int32_t item = znListAdd(list, "LIT101");
  ASSERT_GT(item, 0);
  ASSERT_NE(znListRead(list, 0), 0);

  const int32_t closed = OpenTo(server_);
  ASSERT_GT(closed, 0);
  ASSERT_NE(znClose(closed), 0);
  const int32_t freedList = znListNew(h_, 0);
  ASSERT_NE(znListFree(freedList), 0);

  const int32_t nothing[] = {0, -1, -12345, INT_MIN, INT_MAX, closed, freedList, 987654};
  for (const int32_t bad : nothing) {
    char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    int32_t out = -7;
    int32_t length = -7;
    const std::string untouched(sizeof buffer, '#');
    EXPECT_EQ(znClose(bad), 0) << bad;
    EXPECT_EQ(znZncode(bad, "Time(1)", 0, 0, buffer, sizeof buffer, 0), 0) << bad;
    EXPECT_EQ(znTagRead(bad, "LIT101", buffer, sizeof buffer), 0) << bad;
    EXPECT_EQ(znTagWrite(bad, "PLANT_Message", "x"), 0) << bad;
    EXPECT_EQ(znFindFirst(bad, "Tag", "*", &out, 0), 0) << bad;
    EXPECT_EQ(znFindNext(bad, &out), 0) << bad;
    EXPECT_EQ(znFindScroll(bad, ZNAPI_SCROLL_COUNT, 0, &out), 0) << bad;
    EXPECT_EQ(znFindScroll(bad, ZNAPI_SCROLL_FIRST, 0, &out), 0) << bad;
    EXPECT_EQ(znGetProperty(bad, "Tag", buffer, sizeof buffer, &length, ZNAPI_TYPE_TEXT), 0);
    EXPECT_EQ(znFindClose(bad), 0) << bad;
    EXPECT_EQ(znListNew(bad, 0), 0) << bad;
    EXPECT_EQ(znListAdd(bad, "LIT101"), 0) << bad;
    EXPECT_EQ(znListRead(bad, 0), 0) << bad;
    EXPECT_EQ(znListData(bad, buffer, sizeof buffer, 0), 0) << bad;
    EXPECT_EQ(znListFree(bad), 0) << bad;
    EXPECT_EQ(std::string(buffer, sizeof buffer), untouched) << bad;
    EXPECT_EQ(out, -7) << bad;
    EXPECT_EQ(length, -7) << bad;
  }

  // Handles of the wrong kind: a connection is not a search, a list is not a connection...
  char buffer[8] = {};
  int32_t out = 0;
  EXPECT_EQ(znClose(search), 0);
  EXPECT_EQ(znClose(list), 0);
  EXPECT_EQ(znListFree(h_), 0);
  EXPECT_EQ(znListFree(item), 0);
  EXPECT_EQ(znFindClose(record), 0);
  EXPECT_EQ(znFindClose(h_), 0);
  EXPECT_EQ(znFindNext(record, &out), 0);
  EXPECT_EQ(znTagRead(search, "LIT101", buffer, sizeof buffer), 0);
  EXPECT_EQ(znListData(list, buffer, sizeof buffer, 0), 0);
  EXPECT_EQ(znListAdd(item, "LIT101"), 0);
  EXPECT_EQ(znGetProperty(item, "Tag", buffer, sizeof buffer, nullptr, ZNAPI_TYPE_TEXT), 0);

  // All the real objects still work.
  EXPECT_TRUE(ReadTag(h_, "LIT101").has_value());
  EXPECT_TRUE(Property(record, "Tag").has_value());
  EXPECT_NE(znListData(item, buffer, sizeof buffer, 0), 0);
  EXPECT_NE(znFindNext(search, &out), 0);
  EXPECT_NE(znFindClose(search), 0);
  EXPECT_NE(znListFree(list), 0);
}

TEST_F(Calls, NullPointersAndEmptyBuffersFailAndWriteNothing) {
  char buffer[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(znZncode(h_, nullptr, 0, 0, buffer, sizeof buffer, 0), 0);
  EXPECT_EQ(znZncode(h_, "Time(1)", 0, 0, nullptr, 255, 0), 0);
  EXPECT_EQ(znTagRead(h_, nullptr, buffer, sizeof buffer), 0);
  EXPECT_EQ(znTagRead(h_, "LIT101", nullptr, 255), 0);
  EXPECT_EQ(znTagWrite(h_, nullptr, "1"), 0);
  EXPECT_EQ(znTagWrite(h_, "PLANT_Message", nullptr), 0);
  for (const int32_t length : {0, -1, INT_MIN}) {
    EXPECT_EQ(znZncode(h_, "Time(1)", 0, 0, buffer, length, 0), 0) << length;
    EXPECT_EQ(znTagRead(h_, "LIT101", buffer, length), 0) << length;
  }
  EXPECT_EQ(std::string(buffer, sizeof buffer), "####");
  EXPECT_TRUE(Zncode(h_, "Time(1)").has_value());
}

}  // namespace
}  // namespace znapi::testing
