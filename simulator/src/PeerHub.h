#pragma once
/// The pair as one server sees it. The hub keeps one link to the other server up: it dials
/// the peer's address when it has one (--peer) and takes the links the peer dials, which the
/// server's front hands over (see PeerChannel.h). Of two links open at once (both servers
/// dialed), both servers keep the one dialed by the server whose name sorts first. Links run
/// on the hub's own thread, so replication never holds up a client's request.
///
/// A client's write is acknowledged once it is committed to this server's SQLite file, with
/// its entry in the replica log in the same transaction; it goes to the peer after that, in
/// milliseconds while the link is up. So a kill -9 of either server loses no acknowledged
/// write from the pair: the killed server finds it on disk when it starts again and sends it
/// then (from its log, or in a full copy when the peer is too far behind). What the pair
/// cannot do is serve that write from the other server while the one that took it is down and
/// had not sent it yet.
///
/// The hub logs links that come up and go down and dials that fail (once until they succeed);
/// its links log catch-ups and conflicts.
#include <asio.hpp>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "NoiseLog.h"
#include "PeerChannel.h"
#include "TagStore.h"

namespace znsim {

class PeerLink;

class PeerHub {
 public:
  using Address = std::pair<std::string, unsigned short>;

  /// `dial` is the peer's address to keep a link to, or none to wait for the peer to dial.
  /// Refused and failed links from unknown parties are logged through `noise`.
  PeerHub(TagStore& tags, PeerSettings settings, std::optional<Address> dial, NoiseLog& noise);
  /// Ends the links and the thread. No client may write any more by then.
  ~PeerHub();
  PeerHub(const PeerHub&) = delete;
  PeerHub& operator=(const PeerHub&) = delete;

  void Start();
  /// Takes over a connection from `source` whose first byte said it is a peer's
  /// (kPeerOpening), the opening still unread in it. Any thread.
  void Adopt(asio::ip::tcp protocol, int socket, std::string source);
  /// How the pair stands, for SimPeer(): "connected to 'standby' at 127.0.0.1:20223 (TLS),
  /// behind by 0 changes", or "not connected ...".
  std::string State() const;

 private:
  asio::awaitable<void> Dial();
  /// Opens the link of `channel` (connecting it first when `dial` is set) within the opening
  /// deadline, then replicates over it while it is the one kept. `source` is the address an
  /// accepted link came from, under which refusals are logged.
  asio::awaitable<void> Serve(std::shared_ptr<PeerChannel> channel, const Address* dial,
                              std::string source);
  /// Makes `link` the pair's link; false when the one already up is kept instead.
  bool Claim(const std::shared_ptr<PeerLink>& link);
  void Release(const std::shared_ptr<PeerLink>& link, const std::string& why);
  /// A dial failed; logged when the reason differs from the last one.
  void DialFailed(const std::string& why);
  /// New changes of this server's were committed; any thread.
  void Changed();

  TagStore& tags_;
  const PeerSettings settings_;
  const std::optional<Address> dial_;
  NoiseLog& noise_;
  std::string dialFailure_;  // the last reason a dial failed, on the hub's thread
  std::size_t opening_ = 0;  // accepted links not open yet, on the hub's thread
  std::atomic<bool> poked_{false};

  mutable std::mutex mutex_;  // guards what State() reads
  std::shared_ptr<PeerLink> live_;
  bool everUp_ = false;
  std::string lastPeer_;               // the name of the peer of the last link
  std::uint64_t lastPeerApplied_ = 0;  // of this server's changes, when the last link went down

  // Last, so that pending handlers, which hold links, go before what the links use.
  asio::io_context io_{1};
  asio::steady_timer linkDown_{io_};  // the dialer waits on it while a link is up
  std::jthread thread_;
};

}  // namespace znsim
