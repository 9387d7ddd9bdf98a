// The run-time binding: where it looks, what it says when the library or an entry point is
// missing, and that it tries again after a failure.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "DynamicZnApi.h"
#include "basZNAPI.h"

namespace {

using server::DynamicZnApi;
using server::LibraryError;

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
  server::basZNAPI module(api);
  for (const auto& call : std::vector<std::function<void()>>{[&] { api.znListFree(1); },
                                                             [&] { module.GetConnection(); }}) {
    const std::string message = MessageOf(call);
    EXPECT_EQ(message.rfind("Cannot load /nonexistent/libznapi.so: ", 0), 0u) << message;
  }
  EXPECT_EQ(module.table().CurrentSlot, 0) << "status texts index Computer by it";
  // The wrappers trap it and leave the caller's text alone.
  std::string text = "kept";
  EXPECT_EQ(module.CallServerFunction(1, "Time(1)", text), server::kFalse);
  EXPECT_EQ(text, "kept");

  EXPECT_EQ(api.LastError(), std::nullopt);  // no library, no reason beyond the load's
  use(PARTIAL_LIBRARY_PATH);                 // installed meanwhile
  EXPECT_EQ(api.znOpen("", "", "", 0), 7);
}

TEST_F(LibraryOverride, MissingEntryPointFailsOnlyItsOwnCall) {
  use(PARTIAL_LIBRARY_PATH);
  DynamicZnApi api;
  EXPECT_EQ(api.znOpen("unreachable", "", "", 0), 0);
  EXPECT_EQ(MessageOf([&] { api.znFindScroll(1, 4, 0, nullptr); }),
            std::string("Entry point znFindScroll not found in ") + PARTIAL_LIBRARY_PATH);
  server::basZNAPI module(api);
  EXPECT_EQ(module.GetConnection(), 7);
  EXPECT_EQ(module.GetConnection(), 7);  // passes its Time(1) test through the real call
  std::string time;
  EXPECT_EQ(module.CallServerFunction(7, "Time(1)", time), server::kTrue);
  EXPECT_EQ(time, "10:11:12");
  EXPECT_EQ(module.ReadTagValue(7, "T"), server::TagValue{}) << "znTagRead is missing";
  EXPECT_EQ(api.znClose(7), 1);
  // The optional reason is offered when the library has one, and never required.
  EXPECT_EQ(api.LastError(), "connection refused by unreachable");
}

// Without a choice the library beside the program is found. Every entry point is bound
// through the real calls of the end-to-end tests.
TEST_F(LibraryOverride, TheLibraryBesideTheProgramIsFound) {
  unsetenv("ZNAPI_LIBRARY");
  DynamicZnApi api;
  EXPECT_EQ(api.znOpen("127.0.0.1:1", "Engineer", "x", 0), 0);  // nothing listens there
  EXPECT_EQ(api.znClose(999999), 0);
  EXPECT_EQ(api.LastError(), std::nullopt);  // this library offers no reasons yet
}

}  // namespace
