// znsim's data folder: one server at a time, and a damaged database refused at start-up. A
// server that should refuse to start is caught the moment it says it is listening.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>

#include "RawClient.h"
#include "ZnsimProcess.h"

namespace {

using testing_support::RunUntilExitOrReady;
using testing_support::ZnsimPath;
using testing_support::ZnsimProcess;

testing_support::Refusal StartOn(const std::string& folder) {
  return RunUntilExitOrReady({ZnsimPath(), "--listen", "127.0.0.1:0", "--data", folder},
                             "znsim listening on ");
}

TEST(ZnsimDataFolder, ASecondServerOnTheSameFolderExitsNamingTheHolder) {
  ZnsimProcess first;
  const auto second = StartOn(first.dataDir());
  std::cout << "[ figure   ] second server: exit code " << second.exitCode << ", saying "
            << second.output;
  EXPECT_FALSE(second.started) << "two servers share " << first.dataDir();
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_NE(second.output.find(first.dataDir()), std::string::npos) << second.output;
  EXPECT_NE(second.output.find("process " + std::to_string(first.pid())), std::string::npos)
      << second.output;
  simtest::RawClient client(first.port());
  EXPECT_TRUE(client.Login()) << "the first one serves on";
}

TEST(ZnsimDataFolder, ADamagedDatabaseIsRefusedNamingTheFile) {
  testing_support::TempDir damaged;
  std::ofstream(damaged.path + "/znsim.db") << std::string(8192, 'x');
  const auto refused = StartOn(damaged.path);
  EXPECT_FALSE(refused.started);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.output.find(damaged.path + "/znsim.db"), std::string::npos) << refused.output;
}

}  // namespace
