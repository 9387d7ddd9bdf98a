// A server whose disk fills up: a write is refused with the server's own reason, the server
// serves on, and writes succeed again once there is room.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "Isolation.h"
#include "ZncheckRun.h"
#include "ZnsimProcess.h"

namespace zncheck_test {
namespace {

using testing_support::ZnsimProcess;

// Fills the file system that holds `path` to its last block with a file there.
void FillUp(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::setvbuf(file, nullptr, _IONBF, 0);
  const std::string block(4096, 'x');
  while (std::fwrite(block.data(), 1, block.size(), file) == block.size()) {
  }
  EXPECT_EQ(errno, ENOSPC);
  std::fclose(file);
}

TEST(ZncheckFullDisk, AWriteToAFullDiskSaysSoAndTheServerServesOn) {
  testing_support::TempDir disk;
  testing_support::RunWithSmallDisk(disk.path, 64 << 20, [&] {
    ZnsimProcess server({}, disk.path + "/data");
    const QStringList at{"--primary", QString::fromStdString(server.address())};
    ASSERT_EQ(Zncheck(QStringList{"write", "LIT101", "4.5"} + at).exitCode, 0);
    // Until the write-ahead log first wraps, every commit appends to it, so a commit needs
    // room that a full disk does not have. It wraps at 1000 pages.
    const auto wal = std::filesystem::file_size(disk.path + "/data/znsim.db-wal");
    ASSERT_LT(wal, 1000u * (4096 + 24)) << "the log wrapped: a write could reuse its room";

    FillUp(disk.path + "/filler");
    Outcome run = Zncheck(QStringList{"write", "LIT101", "5.5"} + at);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.toStdString(),
              "zncheck: writing LIT101 failed (the server's disk is full)\n");

    std::filesystem::remove(disk.path + "/filler");
    run = Zncheck(QStringList{"write", "LIT101", "6.5"} + at);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = Zncheck(QStringList{"read", "LIT101", "--format", "csv"} + at);
    EXPECT_EQ(Lines(run.out).value(1), "LIT101,6.5,ok\r");
  });
}

}  // namespace
}  // namespace zncheck_test
