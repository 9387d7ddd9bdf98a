#pragma once
/// Replication over one open link of a pair (see PeerChannel). Each side first says where it
/// stands in the other's replica log; each then sends what the other lacks: the changes after
/// that point, or a full copy of its written values when the point is no longer in its log
/// (or belongs to a log the file no longer has). Then every change accepted on either side
/// is sent as it is committed. The receiver applies a batch and the point it reached in one
/// commit (see TagStore::ApplyRemote), so each change is applied once, in the order of the
/// sender's log, and a change superseded by a newer value is kept out and logged as a
/// conflict.
///
/// Each side sends something at least every heartbeat; a link that hears nothing for the
/// silence limit is closed, so a peer that stopped without closing (SIGSTOP, a cable pulled)
/// is noticed.
///
/// A link runs on its hub's thread only; Behind() may be asked from any thread.
#include <asio.hpp>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "PeerChannel.h"
#include "TagStore.h"

namespace znpeer {
class Changes;
class Frame;
class Resume;
}  // namespace znpeer

namespace znsim {

class PeerLink {
 public:
  PeerLink(std::shared_ptr<PeerChannel> channel, TagStore& tags, const PeerSettings& settings);

  /// Replicates both ways until the link fails or is closed; throws PeerError with the reason.
  asio::awaitable<void> Run();
  /// There are new changes of this server's to send.
  void Wake();
  /// Ends the link; the first reason given is the one Run throws.
  void Close(const std::string& why);

  const PeerChannel& channel() const { return *channel_; }
  /// Changes of either side that the other has not applied yet, as far as this side knows.
  std::uint64_t Behind() const;
  /// Changes of this server's that the peer has applied.
  std::uint64_t PeerApplied() const { return peerApplied_.load(std::memory_order_relaxed); }

 private:
  using Clock = std::chrono::steady_clock;

  asio::awaitable<void> Reader();
  asio::awaitable<void> Writer();
  asio::awaitable<void> Watchdog();
  asio::awaitable<void> Send(const znpeer::Frame& frame);
  /// Sends the next page of changes or of the full copy; false when there was none.
  asio::awaitable<bool> SendChanges();
  /// Decides from where the peer says it stands what it is sent first.
  void Resumed(const znpeer::Resume& resume);
  void StartFullCopy(const std::string& why);
  /// Applies the changes of several frames in one commit.
  void Apply(const std::vector<const znpeer::Changes*>& frames);
  void Heard();

  std::shared_ptr<PeerChannel> channel_;
  TagStore& tags_;
  const PeerSettings& settings_;
  asio::steady_timer wake_;     // the writer waits on it when it has nothing to send
  asio::steady_timer silence_;  // expires when the peer has said nothing for too long
  std::string closed_;          // why the link ended, once it has

  // What the writer sends, on the hub's thread.
  bool resumed_ = false;    // the peer has said where it stands
  std::uint64_t sent_ = 0;  // this server's changes are sent up to this number
  bool copying_ = false;    // a full copy is being sent
  std::string copiedUpTo_;  // its pages have reached this tag name
  std::uint64_t copyEnd_ = 0;
  std::size_t copied_ = 0;
  std::string copyReason_;
  bool ackDue_ = false;  // changes were applied since the last acknowledgement
  Clock::time_point lastSent_;
  // What the reader has learned.
  std::size_t appliedSinceUp_ = 0;
  bool caughtUp_ = false;

  std::atomic<std::uint64_t> peerApplied_{0};  // of this server's log
  mutable std::mutex peerLogMutex_;
  std::string peerLogId_;         // the peer's log, as its frames name it
  std::uint64_t peerLatest_ = 0;  // its newest change
};

}  // namespace znsim
