#pragma once
/// Makes one process the owner of a data folder: two servers writing one folder would let
/// their values drift apart without a word. The lock is the kernel's, so it ends with the
/// process, however that ends.
#include <filesystem>

namespace znsim {

class DataFolderLock {
 public:
  /// Creates the folder if needed and locks it; throws std::runtime_error naming the folder
  /// and, when another process holds it, that process's id.
  explicit DataFolderLock(const std::filesystem::path& folder);
  ~DataFolderLock();
  DataFolderLock(const DataFolderLock&) = delete;
  DataFolderLock& operator=(const DataFolderLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace znsim
