#include "ZnsimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace testing_support {

std::string ZnsimPath() {
  if (const char* p = std::getenv("ZNSIM_PATH")) return p;
  return ZNSIM_BUILD_PATH;  // set by the build
}

std::string MakeTempDir(const std::string& prefix) {
  std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  return tmpl;
}

TempDir::TempDir(const std::string& prefix) : path(MakeTempDir(prefix)) {}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}

std::vector<std::string> PairArgs(const std::string& folder, const std::string& name,
                                  const std::string& peer) {
  const std::string secret = folder + "/pair.secret";
  if (!std::filesystem::exists(secret)) {
    std::ofstream(secret) << "the pair secret of a test\n";
    std::filesystem::permissions(
        secret, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  }
  std::vector<std::string> args{"--name", name, "--peer-secret", secret};
  if (!peer.empty()) args.insert(args.end(), {"--peer", peer});
  return args;
}

// Starts the program of `args` with its standard output into a pipe whose reading end is
// returned in `readEnd`; standard error goes to `errorLog`, or into the pipe when empty.
static pid_t SpawnWithOutputPipe(std::vector<std::string>& args, const std::string& errorLog,
                                 int& readEnd) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    const int err =
        errorLog.empty() ? out[1] : open(errorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (err >= 0) dup2(err, STDERR_FILENO);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  readEnd = out[0];
  return pid;
}

ReadyProcess StartAndAwaitReady(std::vector<std::string> args, const std::string& readyText,
                                const std::string& errorLog) {
  int output = -1;
  ReadyProcess started;
  started.pid = SpawnWithOutputPipe(args, errorLog, output);

  // Read the ready line; the deadline is generous because sanitizer builds start slowly.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  std::string text;
  while (true) {
    const auto at = text.find(readyText);
    const auto nl = text.find('\n', at == std::string::npos ? 0 : at);
    if (at != std::string::npos && nl != std::string::npos) {
      const std::string addr = text.substr(at + readyText.size(), nl - at - readyText.size());
      started.port = std::stoi(addr.substr(addr.rfind(':') + 1));
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    pollfd p{output, POLLIN, 0};
    char buf[512];
    ssize_t n = 0;
    if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0 ||
        (n = read(output, buf, sizeof buf)) <= 0) {
      close(output);
      ::kill(started.pid, SIGKILL);
      waitpid(started.pid, nullptr, 0);
      throw std::runtime_error(args[0] + " did not become ready: " + text);
    }
    text.append(buf, static_cast<std::size_t>(n));
  }
  // The program prints only its ready line on standard output, so closing our end is safe
  // (a later write would get EPIPE, which it ignores).
  close(output);
  return started;
}

Refusal RunUntilExitOrReady(std::vector<std::string> args, const std::string& readyText) {
  int output = -1;
  const pid_t pid = SpawnWithOutputPipe(args, "", output);
  Refusal ended;
  char buffer[512];
  ssize_t n = 0;
  // The pipe ends when the program does; its ready line comes before that if it started.
  while (!ended.started && (n = read(output, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    ended.output.append(buffer, static_cast<std::size_t>(n));
    if (ended.output.find(readyText) != std::string::npos) {
      ended.started = true;
      ::kill(pid, SIGKILL);
    }
  }
  close(output);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) ended.exitCode = WEXITSTATUS(status);
  return ended;
}

ZnsimProcess::ZnsimProcess(std::vector<std::string> extraArgs, std::string dataDir, int port,
                           std::string host)
    : host_(std::move(host)) {
  if (dataDir.empty()) {
    dataDir_ = MakeTempDir("znsim-test-");
    ownsDataDir_ = true;
  } else {
    dataDir_ = dataDir;
    std::filesystem::create_directories(dataDir_);
  }
  std::vector<std::string> args{ZnsimPath(), "--listen", HostText() + ":" + std::to_string(port),
                                "--data", dataDir_};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  const auto started = StartAndAwaitReady(std::move(args), "znsim listening on ", logFile());
  pid_ = started.pid;
  port_ = started.port;
}

std::string ZnsimProcess::HostText() const {
  return host_.find(':') == std::string::npos ? host_ : "[" + host_ + "]";
}

std::string ZnsimProcess::address() const {
  return HostText() + ":" + std::to_string(port_);
}

ZnsimProcess::~ZnsimProcess() {
  if (pid_ > 0) kill9();
  if (ownsDataDir_) {
    std::error_code ec;
    std::filesystem::remove_all(dataDir_, ec);
  }
}

void ZnsimProcess::reap() {
  if (pid_ <= 0) return;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

void ZnsimProcess::kill9() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGCONT);
  ::kill(pid_, SIGKILL);
  reap();
}

void ZnsimProcess::terminate() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGCONT);
  ::kill(pid_, SIGTERM);
  reap();
}

bool ZnsimProcess::logShows(const std::string& text, std::chrono::milliseconds wait) const {
  const auto until = std::chrono::steady_clock::now() + wait;
  while (true) {
    std::ifstream in(logFile());
    const std::string log(std::istreambuf_iterator<char>(in), {});
    if (log.find(text) != std::string::npos) return true;
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

void ZnsimProcess::pause() {
  if (pid_ > 0) ::kill(pid_, SIGSTOP);
}

void ZnsimProcess::resume() {
  if (pid_ > 0) ::kill(pid_, SIGCONT);
}

}  // namespace testing_support
