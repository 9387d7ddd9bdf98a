// Tag reads and writes, script functions, result buffers and handle checking against a real
// znsim.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

using testing_support::ZnsimProcess;
using Calls = Connected;

// Every call that hands out text cuts it to the buffer, always terminates it, never writes
// past the length it was given and reports the length it kept where it reports one. All share
// one copy, so a call with and one without the reported length stand for the rest.
TEST_F(Calls, ResultBuffersAreCutAndTerminatedAtEveryLength) {
  const std::string text = "Buffer rule 0123456789";
  ASSERT_NE(znTagWrite(h_, "PLANT_Message", text.c_str()), 0);
  int32_t record = 0;
  ASSERT_GT(znFindFirst(h_, "Tag", "*", &record, 0), 0);
  const std::string comment = Property(record, "Comment").value_or("");
  ASSERT_GT(comment.size(), 3u);
  int32_t written = -1;
  const std::pair<std::string, std::function<int32_t(char*, int32_t)>> calls[] = {
      {text, [&](char* b, int32_t n) { return znTagRead(h_, "PLANT_Message", b, n); }},
      {comment, [&](char* b, int32_t n) {
         return znGetProperty(record, "Comment", b, n, &written, ZNAPI_TYPE_TEXT);
       }}};
  for (const auto& [expected, call] : calls) {
    for (std::size_t n = 1; n <= expected.size() + 2; ++n) {
      std::string buffer(n + 4, '#');
      written = -1;
      ASSERT_NE(call(buffer.data(), static_cast<int32_t>(n)), 0) << expected << " " << n;
      const std::size_t kept = std::min(n - 1, expected.size());
      EXPECT_EQ(std::string(buffer.c_str()), expected.substr(0, kept)) << n;
      EXPECT_EQ(buffer.substr(n), "####") << "wrote past length " << n;
      if (written >= 0) {
        EXPECT_EQ(written, static_cast<int32_t>(kept)) << n;
      }
    }
  }
}

TEST_F(Calls, NullPointersEmptyBuffersAndFailuresWriteNothing) {
  char buffer[4] = {'#', '#', '#', '#'};
  int32_t record = 0;
  ASSERT_GT(znFindFirst(h_, "Tag", "*", &record, 0), 0);
  EXPECT_EQ(znTagRead(h_, "NO_SUCH_TAG", buffer, sizeof buffer), 0);
  EXPECT_EQ(znZncode(h_, nullptr, 0, 0, buffer, sizeof buffer, 0), 0);
  EXPECT_EQ(znZncode(h_, "Time(1)", 0, 0, nullptr, 255, 0), 0);
  EXPECT_EQ(znTagRead(h_, nullptr, buffer, sizeof buffer), 0);
  EXPECT_EQ(znTagRead(h_, "LIT101", nullptr, 255), 0);
  EXPECT_EQ(znTagWrite(h_, nullptr, "1"), 0);
  EXPECT_EQ(znTagWrite(h_, "PLANT_Message", nullptr), 0);
  EXPECT_EQ(znGetProperty(record, "Tag", buffer, sizeof buffer, nullptr, 8), 0) << "text only";
  for (const int32_t length : {0, -1, INT_MIN}) {
    EXPECT_EQ(znZncode(h_, "Time(1)", 0, 0, buffer, length, 0), 0) << length;
    EXPECT_EQ(znTagRead(h_, "LIT101", buffer, length), 0) << length;
    EXPECT_EQ(znGetProperty(record, "Tag", buffer, length, nullptr, ZNAPI_TYPE_TEXT), 0);
  }
  EXPECT_EQ(std::string(buffer, sizeof buffer), "####");
}

// Every entry point with handles that name nothing, something closed, or something of
// another kind: each call fails, writes nothing and leaves the real objects working.
TEST_F(Calls, BadHandlesFailAndTouchNothing) {
  int32_t record = 0;
  const int32_t search = znFindFirst(h_, "Tag", "*", &record, 0);
  ASSERT_GT(search, 0);
  const int32_t list = znListNew(h_, 0);
  const int32_t item = znListAdd(list, "LIT101");
  ASSERT_NE(znListRead(list, 0), 0);
  const int32_t closed = OpenTo(server_);
  ASSERT_NE(znClose(closed), 0);
  const int32_t freedList = znListNew(h_, 0);
  ASSERT_NE(znListFree(freedList), 0);

  for (const int32_t bad : {0, -1, INT_MIN, INT_MAX, closed, freedList}) {
    char buffer[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
    int32_t out = -7;
    int32_t length = -7;
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
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#')) << bad;
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

  EXPECT_TRUE(ReadTag(h_, "LIT101").has_value());
  EXPECT_TRUE(Property(record, "Tag").has_value());
  EXPECT_NE(znListData(item, buffer, sizeof buffer, 0), 0);
  EXPECT_NE(znFindNext(search, &out), 0);
  EXPECT_NE(znFindClose(search), 0);
  EXPECT_NE(znListFree(list), 0);
}

// Each tag is written several times; after a crash the last acknowledged value is the one kept.
TEST(Persistence, TheLastWriteOfEachTypeSurvivesAKillAndRestart) {
  const std::pair<const char*, std::vector<const char*>> writes[] = {
      {"PLANT_Message", {"first", "second", "kept across a crash"}},  // string
      {"CL_Residual_SP", {"0.5", "0.75", "1.25"}},                    // real
      {"P101_Starts", {"3", "4", "5"}},                               // integer
      {"GEN_Run", {"1", "0"}},                                        // digital
  };
  testing_support::TempDir data;
  {
    ZnsimProcess first({}, data.path);
    const int32_t h = OpenTo(first);
    ASSERT_GT(h, 0);
    for (const auto& [tag, values] : writes) {
      for (const char* value : values) ASSERT_NE(znTagWrite(h, tag, value), 0) << tag;
    }
    first.kill9();
    EXPECT_FALSE(ReadTag(h, "PLANT_Message").has_value()) << "the server is gone";
    znClose(h);
  }
  ZnsimProcess second({}, data.path);
  const int32_t h = OpenTo(second);
  ASSERT_GT(h, 0);
  for (const auto& [tag, values] : writes) EXPECT_EQ(ReadTag(h, tag), values.back()) << tag;
  znClose(h);
}

}  // namespace
}  // namespace znapi::testing
