#include "Isolation.h"

#include <sched.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace testing_support {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno) +
                           " (this test needs root, as CI runs it)");
}

void Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  int status = 0;
  if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 ||
      ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string command;
    for (const auto& arg : args) command += arg + " ";
    throw std::runtime_error("failed: " + command);
  }
}

// Namespaces belong to a thread: the caller's stays as it was.
void OnThreadOfItsOwn(int namespaces, const std::function<void()>& setUp,
                      const std::function<void()>& body) {
  std::exception_ptr thrown;
  std::thread([&] {
    try {
      if (::unshare(namespaces) != 0) Fail("unshare");
      setUp();
      body();
    } catch (...) {
      thrown = std::current_exception();
    }
  }).join();
  if (thrown) std::rethrow_exception(thrown);
}

}  // namespace

void RunInOwnNetwork(const std::string& address, const std::function<void()>& body) {
  OnThreadOfItsOwn(
      CLONE_NEWNET,
      [&] {
        Run({"ip", "link", "set", "lo", "up"});
        Run({"ip", "address", "add", address + "/32", "dev", "lo"});
      },
      body);
}

void RunWithSmallDisk(const std::string& folder, std::size_t bytes,
                      const std::function<void()>& body) {
  OnThreadOfItsOwn(
      CLONE_NEWNS,
      [&] {
        // Private first, so that the mount does not spread back to the computer's namespace.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) Fail("mount");
        const std::string size = "size=" + std::to_string(bytes);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, size.c_str()) != 0)
          Fail("mount tmpfs on " + folder);
      },
      [&] {
        try {
          body();
        } catch (...) {
          ::umount2(folder.c_str(), MNT_DETACH);
          throw;
        }
        ::umount2(folder.c_str(), MNT_DETACH);
      });
}

}  // namespace testing_support
