#pragma once
/// A real znsim process for end-to-end tests: started on an ephemeral loopback port, ready
/// when it has printed its ready line, ended by its own process id.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

class ZnsimProcess {
 public:
  /// Starts znsim with --listen HOST:PORT (0 picks a free one; a HeldPort keeps one for
  /// restarts) and a fresh data folder unless `dataDir` names one; extra arguments follow.
  /// Throws when it is not ready in time.
  explicit ZnsimProcess(std::vector<std::string> extraArgs = {}, std::string dataDir = {},
                        int port = 0, std::string host = "127.0.0.1");
  ~ZnsimProcess();
  ZnsimProcess(const ZnsimProcess&) = delete;
  ZnsimProcess& operator=(const ZnsimProcess&) = delete;

  int port() const { return port_; }
  /// "HOST:PORT" ("[HOST]:PORT" for IPv6), the computer name the library takes.
  std::string address() const;
  const std::string& dataDir() const { return dataDir_; }
  pid_t pid() const { return pid_; }

  void kill9();      // SIGKILL and reap
  void terminate();  // SIGTERM and reap; returns once the process has ended
  void pause();      // SIGSTOP
  void resume();     // SIGCONT
  bool running() const { return pid_ > 0; }
  /// Everything the process wrote on standard error so far is not captured; standard output
  /// after the ready line is drained to this file.
  std::filesystem::path logFile() const { return dataDir_ + "/znsim.log"; }
  /// Whether `text` is in the log within `wait`. znsim tells of an address once a second at
  /// most and of the rest as counts on its next tick, so a line may take two seconds.
  bool logShows(const std::string& text, std::chrono::milliseconds wait) const;

 private:
  void reap();
  std::string HostText() const;
  pid_t pid_ = -1;
  int port_ = 0;
  std::string host_;
  std::string dataDir_;
  bool ownsDataDir_ = false;
};

/// A fresh empty folder under the system's temporary folder, removed at the end of its scope;
/// for data that must outlive one znsim process (restart tests).
struct TempDir {
  explicit TempDir(const std::string& prefix = "znsim-data-");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path;
};

/// The arguments that make a znsim named `name` one of a redundant pair, with the pair's
/// secret in a file in `folder` (written there at the first call), dialing `peer`
/// ("HOST:PORT") when given.
std::vector<std::string> PairArgs(const std::string& folder, const std::string& name,
                                  const std::string& peer = {});

/// A program started by StartAndAwaitReady.
struct ReadyProcess {
  pid_t pid = -1;
  int port = 0;
};
/// Starts `args` (the program first) with standard error appended to `errorLog`, and waits
/// for the line "<readyText>HOST:PORT" on its standard output, as znsim prints it. Throws,
/// having killed the program, when the line does not come within a minute.
ReadyProcess StartAndAwaitReady(std::vector<std::string> args, const std::string& readyText,
                                const std::string& errorLog);

/// How a program that was expected to refuse to start ended.
struct Refusal {
  bool started = false;  // it printed its ready line instead, and was killed
  int exitCode = -1;
  std::string output;  // standard output and error together
};
/// Runs `args` (the program first) until it exits or prints `readyText`, whichever comes
/// first: a program that should refuse to start is caught the moment it starts instead.
Refusal RunUntilExitOrReady(std::vector<std::string> args, const std::string& readyText);

/// Path of the znsim program under test.
std::string ZnsimPath();
/// A fresh empty folder under the system's temporary folder.
std::string MakeTempDir(const std::string& prefix);

}  // namespace testing_support
