// Text across the library: callers speak Windows-1252, the wire and the server UTF-8. Every
// text path goes through a znsim whose project (UTF-8, as project files are) holds accented
// names, a user with an accented password and a character Windows-1252 lacks.
#include <gtest/gtest.h>

#include <fstream>

#include "LibraryTestSupport.h"

namespace znapi::testing {
namespace {

// Windows-1252 bytes, split where a hex escape would run into the next letter.
const std::string kUser = "J\xF6rg";
const std::string kPassword = "P\xE4ssw\xF6rd";
const std::string kTag =
    "D\xE9"
    "bit";
const std::string kValue = "Caf\xE9 open \xD8 \x80 \xB5 \x93quoted\x94";

std::string ProjectFile(const std::string& folder) {
  const std::string path = folder + "/texts.toml";
  std::ofstream(path) << "title = \"Texts\"\n"
                      << "[[users]]\nname = \"Jörg\"\nhash = \"" << PasswordHash("Pässwörd")
                      << "\"\n"
                      << "[[tags]]\nname = \"Débit\"\ntype = \"string\"\n"
                      << "[[tags]]\nname = \"Greek\"\ntype = \"string\"\ntexts = [\"Ω µ\"]\n"
                      << "[[devices]]\nname = \"Düsen\"\nfields = [\"Name\", \"Maß\"]\n"
                      << "records = [[\"Düse 1\", \"€ 5 µm Ω\"]]\n";
  return path;
}

struct Texts : ::testing::Test {
  testing_support::TempDir folder;
  testing_support::ZnsimProcess server{{"--project", ProjectFile(folder.path)}};
  int32_t h = znOpen(server.address().c_str(), kUser.c_str(), kPassword.c_str(), 0);

  void SetUp() override { ASSERT_GT(h, 0) << "an accented password logs in"; }
  void TearDown() override { znClose(h); }
};

TEST_F(Texts, EveryTextPathCarriesWindows1252BothWays) {
  // A tag's name and value, the value again through a list, then a script's argument and result.
  ASSERT_NE(znTagWrite(h, kTag.c_str(), kValue.c_str()), 0);
  EXPECT_EQ(ReadTag(h, kTag), kValue);
  const int32_t list = znListNew(h, 0);
  const int32_t item = znListAdd(list, kTag.c_str());
  EXPECT_NE(znListRead(list, 0), 0);
  EXPECT_EQ(ListData(item), kValue);
  znListFree(list);
  const std::string scripted = "\x93\xB5m\x94";
  EXPECT_TRUE(Zncode(h, "TagWrite(\"" + kTag + "\", \"" + scripted + "\")"));
  EXPECT_EQ(Zncode(h, "TagRead(\"" + kTag + "\")"), scripted);

  // Records of a device with an accented name, a property by an accented name; what the
  // server holds that Windows-1252 lacks comes back as '?'.
  int32_t record = 0;
  const int32_t search = znFindFirst(h, "D\xFCsen", "*", &record, 0);
  ASSERT_GT(search, 0);
  EXPECT_EQ(Property(record, "Ma\xDF"), "\x80 5 \xB5m ?");
  EXPECT_EQ(Property(record, "object.fields(2).Name"), "Ma\xDF");
  EXPECT_EQ(ReadTag(h, "Greek"), "? \xB5");
  znFindClose(search);

  // The project file's users and tags replace the demo plant's.
  EXPECT_EQ(OpenTo(server), 0) << "the demo plant's user";
  EXPECT_FALSE(ReadTag(h, "LIT101").has_value()) << "a demo plant's tag";
}

}  // namespace
}  // namespace znapi::testing
