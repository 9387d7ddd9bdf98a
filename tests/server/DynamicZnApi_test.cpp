// The run-time binding: where it looks, what it says when the library or an entry point is
// missing, and that it tries again after a failure.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "ConnectionTable.h"
#include "DynamicZnApi.h"
#include "LibraryCandidates.h"

namespace {

using server::DynamicZnApi;
using server::LibraryError;

// Points ZNAPI_LIBRARY somewhere for one test and puts the old value back afterwards.
class LibraryOverride : public ::testing::Test {
 protected:
  LibraryOverride() {
    if (const char* old = std::getenv("ZNAPI_LIBRARY")) saved_ = old;
  }
  ~LibraryOverride() override {
    saved_ ? setenv("ZNAPI_LIBRARY", saved_->c_str(), 1) : unsetenv("ZNAPI_LIBRARY");
  }
  void use(const std::string& path) { setenv("ZNAPI_LIBRARY", path.c_str(), 1); }

 private:
  std::optional<std::string> saved_;
};

std::string MessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const LibraryError& e) {
    return e.what();
  }
  return "no LibraryError";
}

// A chosen file being the only one tried, and the file beside the program, are seen through
// the loads below.
TEST(LibraryCandidates, AnEmptyChoiceOrNoFolderFallsBackToTheSearchPath) {
  using V = std::vector<std::string>;
  EXPECT_EQ(server::LibraryCandidates(std::string(), "/usr/bin"),
            (V{"/usr/bin/libznapi.so", "libznapi.so"}));
  EXPECT_EQ(server::LibraryCandidates(std::nullopt, std::nullopt), V{"libznapi.so"});
}

TEST_F(LibraryOverride, MissingLibraryIsReportedAtEveryCallAndLoadingIsRetried) {
  use("/nonexistent/libznapi.so");
  DynamicZnApi api;  // constructing loads nothing, so cannot fail
  server::basZNAPI module(api);
  for (const auto& call : std::vector<std::function<void()>>{[&] { api.znOpen("", "", "", 0); },
                                                             [&] { api.znListFree(1); },
                                                             [&] { module.GetConnection(); }}) {
    const std::string message = MessageOf(call);
    EXPECT_EQ(message.rfind("Cannot load /nonexistent/libznapi.so: ", 0), 0u) << message;
  }
  // The wrappers trap it and leave the caller's text alone.
  std::string text = "kept";
  EXPECT_EQ(module.CallServerFunction(1, "Time(1)", text), server::kFalse);
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
  server::basZNAPI module(api);
  EXPECT_EQ(module.GetConnection(), 7);
  EXPECT_EQ(module.GetConnection(), 7);  // passes its Time(1) test through the real call
  std::string time;
  EXPECT_EQ(module.CallServerFunction(7, "Time(1)", time), server::kTrue);
  EXPECT_EQ(time, "10:11:12");
  EXPECT_EQ(module.ReadTagValue(7, "T"), server::TagValue{}) << "znTagRead is missing";
  EXPECT_EQ(api.znClose(7), 1);
}

// Without a choice the library beside the program is found, and it offers all fifteen entry
// points: unknown handles make every call fail without a server.
TEST_F(LibraryOverride, TheLibraryBesideTheProgramOffersEveryEntryPoint) {
  unsetenv("ZNAPI_LIBRARY");
  DynamicZnApi api;
  constexpr std::int32_t kUnknown = 999999;
  char buffer[32] = {};
  std::int32_t out = 0;
  EXPECT_EQ(api.znOpen("127.0.0.1:1", "Engineer", "x", 0), 0);  // nothing listens there
  EXPECT_EQ(api.znClose(kUnknown), 0);
  EXPECT_EQ(api.znZncode(kUnknown, "Time(1)", 0, 0, buffer, sizeof buffer, 0), 0);
  EXPECT_EQ(api.znTagRead(kUnknown, "T", buffer, sizeof buffer), 0);
  EXPECT_EQ(api.znTagWrite(kUnknown, "T", "1"), 0);
  EXPECT_EQ(api.znFindFirst(kUnknown, "Tag", "*", &out, 0), 0);
  EXPECT_EQ(api.znFindNext(kUnknown, &out), 0);
  EXPECT_EQ(api.znFindScroll(kUnknown, 4, 0, &out), 0);
  EXPECT_EQ(api.znGetProperty(kUnknown, "Tag", buffer, sizeof buffer, &out, 129), 0);
  EXPECT_EQ(api.znFindClose(kUnknown), 0);
  EXPECT_EQ(api.znListNew(kUnknown, 0), 0);
  EXPECT_EQ(api.znListAdd(kUnknown, "T"), 0);
  EXPECT_EQ(api.znListRead(kUnknown, 0), 0);
  EXPECT_EQ(api.znListData(kUnknown, buffer, sizeof buffer, 0), 0);
  EXPECT_EQ(api.znListFree(kUnknown), 0);
}

}  // namespace
