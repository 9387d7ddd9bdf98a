#pragma once
/// Everything the command line sets.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "Faults.h"
#include "Plant.h"
#include "ProjectGenerator.h"
#include "Server.h"
#include "Session.h"

namespace znsim {

struct TlsOptions {
  std::string certFile;  // empty: plain TCP only
  std::string keyFile;
  bool tlsOnly = false;
  bool allowPlaintext = false;
};

struct PeerOptions {
  std::optional<std::pair<std::string, unsigned short>> dial;  // the peer's address
  std::string secretFile;                                      // empty: no pair
};

struct Options {
  std::string host = "127.0.0.1";
  unsigned short port = 20222;
  std::string project;  // empty: the built-in demo
  std::string dataDir = "znsim-data";
  GeneratorCounts generate;
  PlantSettings plant;
  ServiceLimits limits;
  AdmissionLimits admission;
  ConnectionLimits connection;
  TlsOptions tls;
  PeerOptions peer;
  std::vector<FaultRequest> faults;  // in force from the start
  std::size_t networkThreads = 1;
  std::size_t workers = 2;
  std::string logLevel = "info";
};

/// "HOST:PORT", "[v6]:PORT"; nullopt when the text is not of that form.
std::optional<std::pair<std::string, unsigned short>> ParseListen(const std::string& text);

}  // namespace znsim
