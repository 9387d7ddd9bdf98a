#include "PeerHub.h"

#include <spdlog/spdlog.h>
#include <unistd.h>  // close

#include "PeerLink.h"

namespace znsim {

namespace {

// A dial that failed is tried again after this long.
constexpr std::chrono::milliseconds kRedial{500};
// Links taken from the front that have not opened yet; more are refused at once.
constexpr std::size_t kMostOpening = 4;

std::string Text(const PeerHub::Address& address) {
  return address.first.find(':') != std::string::npos
             ? "[" + address.first + "]:" + std::to_string(address.second)
             : address.first + ":" + std::to_string(address.second);
}

std::string Reason(const std::exception& e) {
  if (const auto* system = dynamic_cast<const asio::system_error*>(&e)) {
    if (system->code() == asio::error::operation_aborted ||
        system->code() == asio::error::bad_descriptor) {
      return "no answer in time";
    }
    if (system->code() == asio::error::eof) return "the peer closed the connection";
    return system->code().message();
  }
  return e.what();
}

}  // namespace

PeerHub::PeerHub(TagStore& tags, PeerSettings settings, std::optional<Address> dial,
                 NoiseLog& noise)
    : tags_(tags), settings_(std::move(settings)), dial_(std::move(dial)), noise_(noise) {}

PeerHub::~PeerHub() {
  tags_.OnLocalChanges(nullptr);
  io_.stop();
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  live_.reset();
}

void PeerHub::Start() {
  tags_.OnLocalChanges([this](std::uint64_t) { Changed(); });
  if (dial_) asio::co_spawn(io_, Dial(), asio::detached);
  thread_ = std::jthread([this] {
    auto work = asio::make_work_guard(io_);
    io_.run();
  });
}

void PeerHub::Changed() {
  // One wake-up for all the commits made before the hub's thread gets to it.
  if (poked_.exchange(true, std::memory_order_acq_rel)) return;
  asio::post(io_, [this] {
    poked_.store(false, std::memory_order_release);
    std::lock_guard lock(mutex_);
    if (live_) live_->Wake();
  });
}

void PeerHub::Adopt(asio::ip::tcp protocol, int socket, std::string source) {
  asio::post(io_, [this, protocol, socket, source = std::move(source)]() mutable {
    asio::ip::tcp::socket adopted(io_);
    asio::error_code ec;
    adopted.assign(protocol, socket, ec);
    if (ec) {
      ::close(socket);
      return;
    }
    if (opening_ >= kMostOpening) {
      noise_.Note(source, "peer link refused: too many opening at once", {}, true);
      return;
    }
    const auto from = adopted.remote_endpoint(ec);
    if (ec) return;
    auto channel =
        std::make_shared<PeerChannel>(std::move(adopted), PeerChannel::Role::Acceptor,
                                      Text({from.address().to_string(), from.port()}), settings_);
    asio::co_spawn(io_, Serve(std::move(channel), nullptr, std::move(source)), asio::detached);
  });
}

asio::awaitable<void> PeerHub::Dial() {
  while (true) {
    bool up = false;
    {
      std::lock_guard lock(mutex_);
      up = live_ != nullptr;
    }
    if (up) {
      // Cancelled when the link goes down.
      linkDown_.expires_at(asio::steady_timer::time_point::max());
      asio::error_code ignored;  // a cancel() ends the wait early
      co_await linkDown_.async_wait(asio::redirect_error(asio::use_awaitable, ignored));
      continue;
    }
    auto channel = std::make_shared<PeerChannel>(
        asio::ip::tcp::socket(io_), PeerChannel::Role::Dialer, Text(*dial_), settings_);
    co_await Serve(std::move(channel), &*dial_, {});
    asio::steady_timer pause(io_, kRedial);
    asio::error_code ignored;  // a cancel() ends the wait early
    co_await pause.async_wait(asio::redirect_error(asio::use_awaitable, ignored));
  }
}

asio::awaitable<void> PeerHub::Serve(std::shared_ptr<PeerChannel> channel, const Address* dial,
                                     std::string source) {
  const bool accepted = dial == nullptr;
  if (accepted) ++opening_;
  // The deadline closes the connection, which ends whatever step of the opening waits.
  asio::steady_timer deadline(io_, settings_.openDeadline);
  deadline.async_wait([channel](asio::error_code ec) {
    if (!ec) channel->Close();
  });
  std::string failure;
  try {
    if (dial) co_await channel->Connect(dial->first, dial->second);
    co_await channel->Open();
  } catch (const std::exception& e) {
    failure = Reason(e);
  }
  deadline.cancel();
  if (accepted) --opening_;
  if (!failure.empty()) {
    channel->Close();
    if (accepted) {
      noise_.Note(source, "peer link refused", ": " + failure, true);
    } else {
      DialFailed(failure);
    }
    co_return;
  }
  if (!accepted) dialFailure_.clear();
  auto link = std::make_shared<PeerLink>(channel, tags_, settings_);
  if (!Claim(link)) {
    channel->Close();
    co_return;
  }
  spdlog::info("peer link up with '{}' at {}{}", channel->peerName(), channel->address(),
               channel->tls() ? " (TLS)" : "");
  std::string why;
  try {
    co_await link->Run();
  } catch (const std::exception& e) {
    why = e.what();
  }
  Release(link, why);
}

bool PeerHub::Claim(const std::shared_ptr<PeerLink>& link) {
  std::shared_ptr<PeerLink> replaced;
  {
    std::lock_guard lock(mutex_);
    if (live_) {
      // Both servers dialed: each keeps the link dialed by the name that sorts first. A link
      // from the same dialer is newer and replaces one that is dead but not noticed yet.
      if (live_->channel().dialerName() < link->channel().dialerName()) return false;
      replaced = live_;
    }
    live_ = link;
    everUp_ = true;
    lastPeer_ = link->channel().peerName();
  }
  if (replaced) replaced->Close("replaced by a newer link");
  return true;
}

void PeerHub::Release(const std::shared_ptr<PeerLink>& link, const std::string& why) {
  {
    std::lock_guard lock(mutex_);
    if (live_ != link) return;  // replaced: the pair is still linked
    lastPeerApplied_ = link->PeerApplied();
    live_.reset();
  }
  spdlog::warn("peer link with '{}' lost: {}", link->channel().peerName(), why);
  linkDown_.cancel();
}

void PeerHub::DialFailed(const std::string& why) {
  if (why == dialFailure_) return;
  dialFailure_ = why;
  spdlog::warn("cannot link with the peer at {}: {}; trying again every {} ms", Text(*dial_), why,
               kRedial.count());
}

std::string PeerHub::State() const {
  std::lock_guard lock(mutex_);
  if (live_) {
    const PeerChannel& channel = live_->channel();
    return "connected to '" + channel.peerName() + "' at " + channel.address() +
           (channel.tls() ? " (TLS)" : "") + ", behind by " + std::to_string(live_->Behind()) +
           " changes";
  }
  std::string state = dial_ ? "not connected to " + Text(*dial_) : "not connected";
  if (!everUp_) return state + (dial_ ? "" : " (waiting for the peer to dial)");
  const std::uint64_t latest = tags_.log().latest();
  return state + " ('" + lastPeer_ + "' lacks " +
         std::to_string(latest - std::min(latest, lastPeerApplied_)) + " of our changes)";
}

}  // namespace znsim
