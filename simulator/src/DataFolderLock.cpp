#include "DataFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>  // flock
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

namespace znsim {

namespace {

// The holder writes its id just after locking; a reader that comes in between waits for it.
std::string HolderId(int fd) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n > 0) return std::string(text, static_cast<std::size_t>(n));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "unknown";
}

}  // namespace

DataFolderLock::DataFolderLock(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const auto file = folder / "znsim.lock";
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    throw std::runtime_error("cannot use the data folder " + folder.string() + ": " +
                             file.string() + ": " + std::strerror(errno));
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    const std::string holder = error == EWOULDBLOCK ? HolderId(fd_) : std::string();
    ::close(fd_);
    if (error == EWOULDBLOCK) {
      throw std::runtime_error("the data folder " + folder.string() +
                               " is in use by znsim process " + holder);
    }
    throw std::runtime_error("cannot lock the data folder " + folder.string() + ": " +
                             std::strerror(error));
  }
  const std::string pid = std::to_string(::getpid());
  if (::ftruncate(fd_, 0) != 0 ||
      ::pwrite(fd_, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
    const int error = errno;
    ::close(fd_);
    throw std::runtime_error("cannot write " + file.string() + ": " + std::strerror(error));
  }
}

DataFolderLock::~DataFolderLock() {
  ::close(fd_);
}

}  // namespace znsim
