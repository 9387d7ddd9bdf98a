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
    if (saved_)
      setenv("ZNAPI_LIBRARY", saved_->c_str(), 1);
    else
      unsetenv("ZNAPI_LIBRARY");
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

TEST(LibraryCandidates, AChosenFileIsTheOnlyOneTried) {
  using V = std::vector<std::string>;
  EXPECT_EQ(server::LibraryCandidates("/opt/zn/libznapi.so.1", "/usr/bin"),
            V{"/opt/zn/libznapi.so.1"});
  EXPECT_EQ(server::LibraryCandidates(std::nullopt, "/usr/lib/testznapi"),
            (V{"/usr/lib/testznapi/libznapi.so", "libznapi.so"}));
  EXPECT_EQ(server::LibraryCandidates(std::string(), "/usr/bin"),
            (V{"/usr/bin/libznapi.so", "libznapi.so"}));
  EXPECT_EQ(server::LibraryCandidates(std::nullopt, std::nullopt), V{"libznapi.so"});
}

TEST_F(LibraryOverride, MissingLibraryIsReportedAtEveryCallNamingTheFile) {
  use("/nonexistent/libznapi.so");
  DynamicZnApi api;  // constructing loads nothing, so cannot fail
  const std::string first = MessageOf([&] { api.znOpen("", "", "", 0); });
  EXPECT_EQ(first.rfind("Cannot load /nonexistent/libznapi.so: ", 0), 0u) << first;
  const std::string again = MessageOf([&] { api.znListFree(1); });
  EXPECT_EQ(again.rfind("Cannot load /nonexistent/libznapi.so: ", 0), 0u) << again;
}

TEST_F(LibraryOverride, MissingEntryPointFailsOnlyItsOwnCall) {
  use(PARTIAL_LIBRARY_PATH);
  DynamicZnApi api;
  EXPECT_EQ(api.znOpen("", "", "", 0), 7);
  EXPECT_EQ(api.znOpen("unreachable", "", "", 0), 0);
  EXPECT_EQ(MessageOf([&] { api.znFindScroll(1, 4, 0, nullptr); }),
            std::string("Entry point znFindScroll not found in ") + PARTIAL_LIBRARY_PATH);
  EXPECT_EQ(MessageOf([&] { api.znTagRead(7, "T", nullptr, 0); }),
            std::string("Entry point znTagRead not found in ") + PARTIAL_LIBRARY_PATH);
  EXPECT_EQ(api.znClose(7), 1);
}

TEST_F(LibraryOverride, LoadingIsRetriedAfterAFailure) {
  use("/nonexistent/libznapi.so");
  DynamicZnApi api;
  EXPECT_THROW(api.znOpen("", "", "", 0), LibraryError);
  use(PARTIAL_LIBRARY_PATH);  // installed meanwhile
  EXPECT_EQ(api.znOpen("", "", "", 0), 7);
}

TEST_F(LibraryOverride, ConnectionTableOverARealLibrary) {
  use(PARTIAL_LIBRARY_PATH);
  DynamicZnApi api;
  server::basZNAPI module(api);
  EXPECT_EQ(module.GetConnection(), 7);
  EXPECT_EQ(module.GetConnection(), 7);  // passes its Time(1) test through the real call
  std::string time;
  EXPECT_EQ(module.CallServerFunction(7, "Time(1)", time), server::kTrue);
  EXPECT_EQ(time, "10:11:12");
  // znTagRead is missing: the wrapper turns that into no value.
  EXPECT_EQ(module.ReadTagValue(7, "T"), server::TagValue{});
}

TEST_F(LibraryOverride, ConnectionTableLetsAMissingLibraryThrough) {
  use("/nonexistent/libznapi.so");
  DynamicZnApi api;
  server::basZNAPI module(api);
  EXPECT_THROW(module.GetConnection(), LibraryError);
  std::string text = "kept";
  EXPECT_EQ(module.CallServerFunction(1, "Time(1)", text), server::kFalse);
  EXPECT_EQ(text, "kept");
}

// Unknown handles make every call fail without a server, so this reaches all fifteen entry
// points of the library that ships beside the program.
void CallEveryEntryPoint(DynamicZnApi& api) {
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

TEST_F(LibraryOverride, TheRealLibraryOffersEveryEntryPoint) {
  use(LIBZNAPI_BUILD_PATH);
  DynamicZnApi api;
  CallEveryEntryPoint(api);
}

TEST_F(LibraryOverride, WithoutAChoiceTheLibraryBesideTheProgramIsFound) {
  unsetenv("ZNAPI_LIBRARY");
  DynamicZnApi api;
  CallEveryEntryPoint(api);
}

}  // namespace
