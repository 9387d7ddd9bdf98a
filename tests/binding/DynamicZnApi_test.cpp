// The run-time binding: where it looks, what it says when the library or an entry point is
// missing, and that it tries again after a failure.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "DynamicZnApi.h"
#include "basZNAPI.h"

namespace {

using binding::DynamicZnApi;
using binding::LibraryError;

// Points ZNAPI_LIBRARY somewhere for one test.
struct LibraryOverride : ::testing::Test {
  ~LibraryOverride() override { unsetenv("ZNAPI_LIBRARY"); }
  void use(const std::string& path) { setenv("ZNAPI_LIBRARY", path.c_str(), 1); }
};

std::string MessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const LibraryError& e) {
    return e.what();
  }
  return "no LibraryError";
}

TEST_F(LibraryOverride, MissingLibraryIsReportedAtEveryCallAndLoadingIsRetried) {
  use("/nonexistent/libznapi.so");
  DynamicZnApi api;  // constructing loads nothing, so cannot fail
  char reason[8];
  EXPECT_EQ(api.znLastError(reason, sizeof reason), 0) << "raises nothing either";
  binding::basZNAPI module(api);
  for (const auto& call : std::vector<std::function<void()>>{[&] { api.znListFree(1); },
                                                             [&] { module.GetConnection(); }}) {
    const std::string message = MessageOf(call);
    EXPECT_EQ(message.rfind("Cannot load /nonexistent/libznapi.so: ", 0), 0u) << message;
  }
  EXPECT_EQ(module.table().CurrentSlot, 0) << "status texts index Computer by it";
  // The wrappers trap it and leave the caller's text alone.
  std::string text = "kept";
  EXPECT_EQ(module.CallServerFunction(1, "Time(1)", text), binding::kFalse);
  EXPECT_EQ(text, "kept");

  use(PARTIAL_LIBRARY_PATH);  // installed meanwhile
  EXPECT_EQ(api.znOpen("", "", "", 0), 7);
}

TEST_F(LibraryOverride, MissingEntryPointFailsOnlyItsOwnCall) {
  use(PARTIAL_LIBRARY_PATH);
  DynamicZnApi api;
  EXPECT_EQ(api.znOpen("unreachable", "", "", 0), 0);
  EXPECT_EQ(MessageOf([&] { api.znFindScroll(1, 4, 0, nullptr); }),
            std::string("Entry point znFindScroll not found in ") + PARTIAL_LIBRARY_PATH);
  binding::basZNAPI module(api);
  EXPECT_EQ(module.GetConnection(), 7);
  EXPECT_EQ(module.GetConnection(), 7);  // passes its Time(1) test through the real call
  std::string time;
  EXPECT_EQ(module.CallServerFunction(7, "Time(1)", time), binding::kTrue);
  EXPECT_EQ(time, "10:11:12");
  EXPECT_EQ(module.ReadTagValue(7, "T"), binding::TagValue{}) << "znTagRead is missing";
  EXPECT_EQ(api.znClose(7), 1);
}

// znLastError is an extension: offered when the library has it, and its absence raises nothing.
TEST_F(LibraryOverride, TheOptionalReasonIsPassedOnOnlyWhereTheLibraryHasIt) {
  for (const bool offers : {true, false}) {
    use(offers ? PARTIAL_LIBRARY_PATH : REASONLESS_LIBRARY_PATH);
    DynamicZnApi api;
    EXPECT_EQ(api.znOpen("unreachable", "", "", 0), 0);
    char reason[64] = "untouched";
    EXPECT_EQ(api.znLastError(reason, sizeof reason), offers ? 1 : 0);
    EXPECT_STREQ(reason, offers ? "connection refused by unreachable" : "untouched");
  }
}

// Without a choice the library beside the program is found. Every entry point is bound
// through the real calls of the end-to-end tests.
TEST_F(LibraryOverride, TheLibraryBesideTheProgramIsFound) {
  unsetenv("ZNAPI_LIBRARY");
  DynamicZnApi api;
  EXPECT_EQ(api.znOpen("127.0.0.1:1", "Engineer", "x", 0), 0);  // nothing listens there
  char reason[64] = {};
  EXPECT_EQ(api.znLastError(reason, sizeof reason), 1);
  EXPECT_STREQ(reason, "connection refused by 127.0.0.1:1");
  EXPECT_EQ(api.znClose(999999), 0);
}

}  // namespace
