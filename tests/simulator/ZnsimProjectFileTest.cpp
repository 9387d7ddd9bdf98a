// znsim serving a project file of its own instead of the demo plant.
#include <gtest/gtest.h>

#include <fstream>

#include "Authenticator.h"
#include "RawClient.h"
#include "SmallProject.h"

namespace {

TEST(ZnsimProjectFile, ServesTheUsersTagsAndDevicesOfTheFile) {
  simtest::TempDir dir;
  const auto file = dir / "works.toml";
  std::ofstream(file) << "title = \"Pump station\"\n"
                      << "[[users]]\nname = \"Op\"\nhash = \"" << znsim::HashPassword("s3cret")
                      << "\"\n[[tags]]\nname = \"FLOW\"\ntype = \"integer\"\n"
                      << "sim = { kind = \"constant\", offset = 12 }\n"
                      << "[[devices]]\nname = \"Pumps\"\nfields = [\"Name\", \"Duty\"]\n"
                      << "records = [[\"P1\", \"Lead\"], [\"P2\", \"Lag\"]]\n";
  testing_support::ZnsimProcess sim({"--project", file.string(), "--name", "station"});
  {
    simtest::RawClient demoUser(sim.port());
    EXPECT_FALSE(demoUser.Login()) << "only the file's users exist";
  }
  simtest::RawClient client(sim.port());
  ASSERT_TRUE(client.Login("Op", "s3cret"));
  EXPECT_EQ(client.Zncode("TagRead(\"FLOW\")")->zncode().result(), "12");
  EXPECT_FALSE(client.Zncode("TagRead(\"LIT101\")")->ok()) << "no demo tags";
  EXPECT_NE(client.Zncode("Version()")->zncode().result().find("station"), std::string::npos);
  const auto pumps = client.FindFirst("Pumps");
  ASSERT_TRUE(pumps && pumps->ok());
  EXPECT_EQ(pumps->find_page().total(), 2u);
  EXPECT_EQ(pumps->find_page().rows(1).values(1), "Lag");
}

}  // namespace
