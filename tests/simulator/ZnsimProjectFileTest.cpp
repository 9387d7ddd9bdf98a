// znsim serving a project file of its own instead of the demo plant.
#include <gtest/gtest.h>

#include <fstream>

#include "Authenticator.h"
#include "RawClient.h"
#include "SmallProject.h"
#include "ZnsimProcess.h"

namespace {

TEST(ZnsimProjectFile, ServesTheUsersTagsAndDevicesOfTheFile) {
  simtest::TempDir dir;
  const auto file = dir.path() / "works.toml";
  {
    std::ofstream out(file);
    out << "title = \"Pump station\"\n"
        << "[[users]]\nname = \"Op\"\nhash = \"" << znsim::HashPassword("s3cret") << "\"\n"
        << "[[tags]]\nname = \"FLOW\"\ntype = \"integer\"\n"
        << "sim = { kind = \"constant\", offset = 12 }\n"
        << "[[devices]]\nname = \"Pumps\"\nfields = [\"Name\", \"Duty\"]\n"
        << "records = [[\"P1\", \"Lead\"], [\"P2\", \"Lag\"]]\n";
  }
  testing_support::ZnsimProcess sim({"--project", file.string(), "--name", "station"});
  {
    simtest::RawClient demoUser(sim.port());
    EXPECT_FALSE(demoUser.Login()) << "only the file's users exist";
  }
  simtest::RawClient client(sim.port());
  ASSERT_TRUE(client.Login("Op", "s3cret"));
  const auto flow = client.Zncode("TagRead(\"FLOW\")");
  ASSERT_TRUE(flow && flow->ok());
  EXPECT_EQ(flow->zncode().result(), "12");
  EXPECT_FALSE(client.Zncode("TagRead(\"LIT101\")")->ok()) << "no demo tags";
  const auto version = client.Zncode("Version()");
  ASSERT_TRUE(version && version->ok());
  EXPECT_NE(version->zncode().result().find("station"), std::string::npos);
  const auto pumps = client.FindFirst("Pumps");
  ASSERT_TRUE(pumps && pumps->ok());
  EXPECT_EQ(pumps->find_page().total(), 2u);
  EXPECT_EQ(pumps->find_page().rows(1).values(1), "Lag");
  const auto alarms = client.FindFirst("ZNAPIAlarm(0, 0, 0)");
  ASSERT_TRUE(alarms && alarms->ok());
  EXPECT_EQ(alarms->find_page().total(), 0u);
}

}  // namespace
