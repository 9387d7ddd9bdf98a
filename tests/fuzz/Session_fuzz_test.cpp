// The requests of a logged-in client against the demo plant: any stream of frames is
// answered request by request, and nothing a client sends crashes the server or escapes
// its bounds.
#include <google/protobuf/stubs/logging.h>
#include <sodium.h>
#include <spdlog/spdlog.h>
#include <stdlib.h>  // mkdtemp

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>

#include "Authenticator.h"
#include "DemoProject.h"
#include "FrameReader.h"
#include "LoginLimiter.h"
#include "NoiseLog.h"
#include "Plant.h"
#include "Require.h"
#include "Session.h"

namespace {

constexpr const char* kPassword = "fuzz";

// The plant outlives every input; its data folder lies in memory where there is one, so
// that writes do not wait for a disk.
struct World {
  World() {
    const auto base = std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                          : std::filesystem::temp_directory_path();
    std::string folder = (base / "znsim-fuzz-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) abort();
    dataDir = folder;
    znsim::Project project = znsim::DemoProject();
    // The cheapest hash there is: a login then costs microseconds, not milliseconds.
    char hash[crypto_pwhash_STRBYTES];
    if (sodium_init() < 0 ||
        crypto_pwhash_str(hash, kPassword, std::strlen(kPassword), crypto_pwhash_OPSLIMIT_MIN,
                          crypto_pwhash_MEMLIMIT_MIN) != 0) {
      abort();
    }
    project.users = {{"Engineer", hash}};
    plant = std::make_unique<znsim::Plant>(std::move(project), dataDir, znsim::PlantSettings{});
    auth = std::make_unique<znsim::Authenticator>(plant->project().users);
  }
  ~World() {
    plant.reset();
    std::error_code ec;
    std::filesystem::remove_all(dataDir, ec);
  }
  std::filesystem::path dataDir;
  std::unique_ptr<znsim::Plant> plant;
  std::unique_ptr<znsim::Authenticator> auth;
  znsim::NoiseLog noise;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  spdlog::set_level(spdlog::level::off);
  google::protobuf::SetLogHandler(nullptr);  // a line for every text that is not UTF-8
  return 0;
}

// Input: frames as a client sends them, each a 4-byte length and one request.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static World world;
  znsim::LoginLimiter logins;
  znsim::Services services{*world.plant, *world.auth, logins, world.noise, {}};
  znsim::Session session(services, "fuzz", "fuzz");
  znwire::Request login;
  login.mutable_login()->set_user("Engineer");
  login.mutable_login()->set_password(kPassword);
  Require(!session.AdmitLogin(login) && session.Login(login).response->ok());

  if (size == 0) return 0;
  znwire::FrameReader reader;
  std::memcpy(reader.Space(size), data, size);
  reader.Commit(size);
  while (reader.Poll() == znwire::FrameReader::State::Ready) {
    const auto body = reader.Body();
    znwire::Request request;
    const bool parsed = request.ParseFromArray(body.data(), static_cast<int>(body.size()));
    if (parsed) {
      session.IsQuick(request);
      const znsim::Outcome outcome = session.Handle(request);
      Require(outcome.response->id() == request.id());
      Require(outcome.response->ok() || !outcome.response->error().empty());
    }
    // A list read taken in place must be the very list protobuf reads.
    if (const auto list = znsim::ListReadRequest::Parse(body)) {
      Require(parsed && request.has_list_read() && list->id() == request.id());
      Require(std::equal(list->begin(), list->end(), request.list_read().tags().begin(),
                         request.list_read().tags().end()));
      Require(session.Handle(*list).response->id() == request.id());
    }
    reader.Pop();
  }
  return 0;
}
