// znsim: a simulated ZnAPI server with a demo water treatment works.
#include <google/protobuf/stubs/logging.h>
#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>
#include <CLI/CLI.hpp>
#include <asio.hpp>

#include <malloc.h>  // malloc_trim, mallopt

#include <csignal>
#include <iostream>
#include <thread>
#include <vector>

#include "Admission.h"
#include "Authenticator.h"
#include "DemoProject.h"
#include "LoginLimiter.h"
#include "NoiseLog.h"
#include "Options.h"
#include "PeerHub.h"
#include "PeerKeys.h"
#include "Plant.h"
#include "ProjectToml.h"
#include "Server.h"
#include "Ticker.h"
#include "TlsServerContext.h"
#include "WorkerPool.h"
#include "framing.h"

namespace {

// Twice the largest frame: a request and its reply in flight.
constexpr int kKeptHeapBytes = 2 * static_cast<int>(znwire::kMaxFrameBytes);

constexpr const char* kFooter =
    "Scale projects: --generate-tags 40000 gives 40,000 extra tags, each with a high alarm, "
    "and 1,000 trends; add --generate-trends 32767 for 32,767 trends; --generate-tags 100000 "
    "gives 100,000 extra tags.\n\n"
    "A redundant pair: start both servers with the same project, their own --name and "
    "--peer-secret FILE (the same secret, readable by its owner only), and give at least one "
    "--peer HOST:PORT, the other's --listen address. Every value a client writes on either is "
    "applied on the other; the newest write wins; a server that was down catches up. The "
    "script function SimPeer() tells how the pair stands.\n\n"
    "Faults on request, by the script function SimFault (users the project marks as "
    "administrator; the demo's Engineer), or from the start with --fault KIND[:AMOUNT]:\n"
    "  SimFault(\"delay\", MS)           every reply waits MS milliseconds more\n"
    "  SimFault(\"drop\")                every connection open now is closed at its next "
    "request\n"
    "  SimFault(\"refuse-logins\", S)    logins are refused for S seconds\n"
    "  SimFault(\"silent\", S)           no reply for S seconds; connections stay open\n"
    "  SimFault(\"none\")                clears them";

std::unique_ptr<znsim::PeerHub> StartPeer(const znsim::Options& options, znsim::TagStore& tags,
                                          znsim::NoiseLog& noise) {
  using namespace znsim;
  PeerSettings settings;
  settings.name = options.plant.name;
  settings.secret = LoadPeerSecret(options.peer.secretFile);
  if (!options.tls.certFile.empty()) {
    settings.tlsServer = PeerTlsServer(options.tls.certFile, options.tls.keyFile);
    settings.tlsClient = PeerTlsClient();
    settings.tlsOnly = options.tls.tlsOnly;
  }
  auto hub = std::make_unique<PeerHub>(tags, std::move(settings), options.peer.dial, noise);
  hub->Start();
  if (options.peer.dial) {
    spdlog::info("one of a pair: linking with the peer at {}:{}", options.peer.dial->first,
                 options.peer.dial->second);
  } else {
    spdlog::info("one of a pair: waiting for the peer to link");
  }
  return hub;
}

int Run(const znsim::Options& options) {
  using namespace znsim;
  Project project = options.project.empty() ? DemoProject() : LoadProjectFile(options.project);
  AddGenerated(project, options.generate);
  spdlog::info("'{}': {} tags, {} alarms, {} trends, {} devices", project.title,
               project.tags.size(), project.alarms.size(), project.trends.size(),
               project.devices.size());

  Plant plant(std::move(project), options.dataDir, options.plant);
  // Building a large plant leaves freed scratch scattered over the heap; give it back before
  // serving.
  malloc_trim(0);
  // From here on, keep freed memory for the next request instead of giving it back: a list
  // read of 100,000 tags moves megabytes through fresh buffers, and each page faulted in anew
  // costs about 11 us on a virtual machine, a third of the whole read. Blocks of up to 32 MiB
  // come from the heap rather than from mmap, and up to 32 MiB of free memory stays at the top
  // of each heap.
  mallopt(M_MMAP_THRESHOLD, kKeptHeapBytes);
  mallopt(M_TRIM_THRESHOLD, kKeptHeapBytes);
  Authenticator auth(plant.project().users);
  LoginLimiter logins;
  NoiseLog noise;
  Faults faults;
  for (const FaultRequest& fault : options.faults) {
    faults.Apply(fault);
    spdlog::warn("fault from the start: {}", Describe(fault));
  }
  // Before the server: it hands the peer's connections over, and clients' writes reach the
  // peer through it until the workers have finished.
  std::unique_ptr<PeerHub> peer;
  if (!options.peer.secretFile.empty()) peer = StartPeer(options, plant.tags(), noise);
  Services services{plant, auth, logins, noise, options.limits, &faults, peer.get()};

  // Declared before the io_context: its pending handlers hold connections, which use these
  // until they are destroyed with it.
  WorkerPool workers(options.workers);
  Admission admission(options.admission);
  asio::io_context io(static_cast<int>(options.networkThreads));
  TransportRules transport{nullptr, options.tls.tlsOnly, options.tls.allowPlaintext};
  if (!options.tls.certFile.empty()) {
    transport.tls = LoadServerTls(options.tls.certFile, options.tls.keyFile);
  }
  Server server(io, workers, services, admission, options.host, options.port, options.connection,
                std::move(transport));
  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&](asio::error_code ec, int signal) {
    if (ec) return;
    spdlog::info("signal {}: shutting down", signal);
    server.Stop();
    io.stop();
  });
  server.Start();
  Ticker ticker([&plant, &noise] {
    plant.Tick(NowMillis());
    noise.Flush();
  });

  const auto endpoint = server.endpoint();
  const std::string address = endpoint.address().is_v6()
                                  ? "[" + endpoint.address().to_string() + "]"
                                  : endpoint.address().to_string();
  std::cout << "znsim listening on " << address << ":" << endpoint.port() << "\n" << std::flush;
  spdlog::info("'{}' listening on {}:{}{}", options.plant.name, address, endpoint.port(),
               options.tls.certFile.empty() ? ""
               : options.tls.tlsOnly        ? " (TLS only)"
                                            : " (TLS and plain)");
  std::vector<std::jthread> network;
  for (std::size_t i = 1; i < options.networkThreads; ++i)
    network.emplace_back([&io] { io.run(); });
  io.run();
  network.clear();
  // Requests already running finish before the sockets they reply to are destroyed.
  workers.Join();
  spdlog::info("stopped");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  spdlog::set_default_logger(spdlog::stderr_logger_mt("znsim"));
  // protobuf writes a line for every text field that is not UTF-8, so any client could flood
  // the log; znsim notes undecodable requests in its own log, at most once a second.
  google::protobuf::SetLogHandler(nullptr);

  znsim::Options options;
  std::string listen = "127.0.0.1:20222";
  long long trendHours = options.plant.trendRetention.count();
  long long alarmDays = options.plant.alarmRetention.count() / 24;
  long long seedMinutes = options.plant.seedHistory.count();
  std::optional<std::size_t> alarms;
  std::optional<std::size_t> trends;

  CLI::App app(
      "znsim: a simulated ZnAPI server. With no options it serves the demo water "
      "treatment works on 127.0.0.1:20222.",
      "znsim");
  app.footer(kFooter);
  app.set_version_flag("--version", "znsim " ZN_VERSION);
  app.add_option("--listen", listen, "HOST:PORT to serve; port 0 picks a free one")
      ->capture_default_str();
  app.add_option("--project", options.project, "project file (TOML) instead of the demo plant")
      ->check(CLI::ExistingFile);
  app.add_option("--data", options.dataDir, "folder for written values, alarm history, trends")
      ->capture_default_str();
  app.add_option("--name", options.plant.name, "server name shown in logs and Version()")
      ->capture_default_str();
  app.add_option("--generate-tags", options.generate.tags, "add N generated tags")
      ->check(CLI::Range(0ull, 2'000'000ull));
  app.add_option("--generate-alarms", alarms, "generated tags with a high alarm (default: all)")
      ->check(CLI::Range(0ull, 2'000'000ull));
  app.add_option("--generate-trends", trends, "generated tags with a trend (default: up to 1000)")
      ->check(CLI::Range(0ull, 2'000'000ull));
  app.add_option("--max-rows", options.limits.maxRows, "most rows one query may yield")
      ->capture_default_str()
      ->check(CLI::Range(1ull, 100'000'000ull));
  long long idleSeconds = options.connection.idleTimeout.count();
  long long loginSeconds = options.connection.loginDeadline.count();
  app.add_option("--max-connections", options.admission.loggedIn,
                 "most logged-in clients served at once")
      ->capture_default_str()
      ->check(CLI::Range(1ull, 100'000ull));
  app.add_option("--max-unauthenticated", options.admission.unauthenticated,
                 "most connections not logged in yet; one address (IPv6: one /64) holds a "
                 "quarter at most")
      ->capture_default_str()
      ->check(CLI::Range(1ull, 100'000ull));
  app.add_option("--idle-timeout", idleSeconds,
                 "seconds a logged-in client may stay without a request")
      ->capture_default_str()
      ->check(CLI::Range(1ll, 7ll * 24 * 3600));
  app.add_option("--login-deadline", loginSeconds,
                 "seconds a new connection has to log in before it is closed")
      ->capture_default_str()
      ->check(CLI::Range(1ll, 3600ll));
  app.add_option("--trend-retention", trendHours, "hours of trend archive kept")
      ->capture_default_str()
      ->check(CLI::Range(1ll, 24ll * 3660));
  app.add_option("--alarm-retention", alarmDays, "days of alarm history kept")
      ->capture_default_str()
      ->check(CLI::Range(1ll, 3660ll));
  app.add_option("--seed-history", seedMinutes,
                 "minutes of alarm history made up from the model at a first start")
      ->capture_default_str()
      ->check(CLI::Range(0ll, 24ll * 60));
  app.add_option("--workers", options.workers,
                 "threads that run slow requests (writes, password checks, pages of rows)")
      ->capture_default_str()
      ->check(CLI::Range(1ull, 64ull));
  app.add_option("--network-threads", options.networkThreads,
                 "threads that read and write sockets and answer quick requests")
      ->capture_default_str()
      ->check(CLI::Range(1ull, 64ull));
  auto* cert = app.add_option("--tls-cert", options.tls.certFile,
                              "PEM certificate chain to serve TLS with, beside plain TCP")
                   ->check(CLI::ExistingFile);
  auto* key = app.add_option("--tls-key", options.tls.keyFile, "PEM key of --tls-cert")
                  ->check(CLI::ExistingFile);
  cert->needs(key);
  key->needs(cert);
  app.add_flag("--tls-only", options.tls.tlsOnly, "refuse plain TCP connections")->needs(cert);
  app.add_flag("--allow-plaintext", options.tls.allowPlaintext,
               "serve plain-text logins from other computers too (by default only from this one)");
  std::string peer;
  auto* peerOption =
      app.add_option("--peer", peer, "HOST:PORT of the other server of a redundant pair");
  auto* secret = app.add_option("--peer-secret", options.peer.secretFile,
                                "file with the pair's shared secret (16 characters or more); "
                                "alone, the server waits for its peer to connect")
                     ->check(CLI::ExistingFile);
  peerOption->needs(secret);
  app.add_option("--peer-log", options.plant.changeLogKeep,
                 "written values kept for a peer to catch up from; one further behind gets a "
                 "full copy")
      ->capture_default_str()
      ->check(CLI::Range(1ull, 100'000'000ull));
  std::vector<std::string> faults;
  app.add_option("--fault", faults, "start with a fault: delay:MS, refuse-logins:S, silent:S")
      ->each([&options](const std::string& text) {
        auto parsed = znsim::ParseFaultOption(text);
        if (const auto* error = std::get_if<std::string>(&parsed))
          throw CLI::ValidationError(*error);
        options.faults.push_back(std::get<znsim::FaultRequest>(parsed));
      });
  app.add_option("--log-level", options.logLevel, "how much goes to standard error")
      ->capture_default_str()
      ->check(CLI::IsMember({"trace", "debug", "info", "warn", "error", "off"}));
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help goes to stdout only when asked for; the ready line is the one other stdout text.
    return app.exit(e);
  }

  const auto parsed = znsim::ParseListen(listen);
  if (!parsed) {
    std::cerr << "znsim: --listen wants HOST:PORT, got '" << listen << "'\n";
    return 2;
  }
  options.host = parsed->first;
  options.port = parsed->second;
  if (!peer.empty()) {
    options.peer.dial = znsim::ParseListen(peer);
    if (!options.peer.dial || options.peer.dial->second == 0) {
      std::cerr << "znsim: --peer wants HOST:PORT, got '" << peer << "'\n";
      return 2;
    }
  }
  options.generate.alarms = alarms.value_or(options.generate.tags);
  options.generate.trends = trends.value_or(std::min<std::size_t>(options.generate.tags, 1000));
  options.plant.trendRetention = std::chrono::hours(trendHours);
  options.plant.alarmRetention = std::chrono::hours(alarmDays * 24);
  options.plant.seedHistory = std::chrono::minutes(seedMinutes);
  options.connection.idleTimeout = std::chrono::seconds(idleSeconds);
  options.connection.loginDeadline = std::chrono::seconds(loginSeconds);
  spdlog::set_level(spdlog::level::from_str(options.logLevel));

  try {
    return Run(options);
  } catch (const std::exception& e) {
    spdlog::critical("{}", e.what());
    return 1;
  }
}
