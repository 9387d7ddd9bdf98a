#include "PeerLink.h"

#include <spdlog/spdlog.h>

#include <asio/experimental/awaitable_operators.hpp>
#include <asio/redirect_error.hpp>

#include "znpeer.pb.h"

namespace znsim {

namespace {

// Changes per frame: a frame of them stays well under a megabyte.
constexpr std::size_t kPageChanges = 1000;
// Frames at hand applied in one commit at most.
constexpr std::size_t kFramesPerCommit = 64;
// Conflicts described one by one in the log per commit; the rest are counted.
constexpr std::size_t kConflictsLogged = 10;

void Fill(znpeer::Change& change, std::uint64_t seq, const std::string& tag,
          const std::string& value, const WriteStamp& stamp) {
  change.set_seq(seq);
  change.set_tag(tag);
  change.set_value(value);
  change.set_at(stamp.at);
  change.set_origin(stamp.origin);
}

// Why a link ended, in words for the log.
std::string Reason(const std::exception& e) {
  if (const auto* system = dynamic_cast<const asio::system_error*>(&e)) {
    const auto code = system->code();
    // Over TLS a peer that ends its process without closing the session is cut off short.
    if (code == asio::error::eof || code == asio::ssl::error::stream_truncated) {
      return "the peer closed the connection";
    }
    if (code == asio::error::connection_reset) return "the peer reset the connection";
    if (code == asio::error::operation_aborted || code == asio::error::bad_descriptor) {
      return "closed";
    }
    return code.message();
  }
  return e.what();
}

}  // namespace

PeerLink::PeerLink(std::shared_ptr<PeerChannel> channel, TagStore& tags,
                   const PeerSettings& settings)
    : channel_(std::move(channel)),
      tags_(tags),
      settings_(settings),
      wake_(channel_->executor()),
      silence_(channel_->executor()) {}

asio::awaitable<void> PeerLink::Run() {
  using namespace asio::experimental::awaitable_operators;
  lastSent_ = Clock::now();
  Heard();
  try {
    // Whichever ends first closes the link, which ends the other two.
    co_await (Reader() && Writer() && Watchdog());
  } catch (const std::exception& e) {
    Close(Reason(e));
  }
  Close("closed");
  throw PeerError(closed_);
}

void PeerLink::Close(const std::string& why) {
  if (closed_.empty()) closed_ = why;
  channel_->Close();
  wake_.cancel();
  silence_.cancel();
}

void PeerLink::Wake() {
  wake_.cancel();
}

void PeerLink::Heard() {
  silence_.expires_after(settings_.silence);
}

asio::awaitable<void> PeerLink::Watchdog() {
  while (closed_.empty()) {
    asio::error_code ignored;  // a cancel() ends the wait early
    co_await silence_.async_wait(asio::redirect_error(asio::use_awaitable, ignored));
    if (closed_.empty() && silence_.expiry() <= Clock::now()) {
      Close("no word from the peer for " +
            std::to_string(
                std::chrono::duration_cast<std::chrono::seconds>(settings_.silence).count()) +
            " s");
    }
  }
}

// ---- Sending.

asio::awaitable<void> PeerLink::Send(const znpeer::Frame& frame) {
  try {
    co_await channel_->Send(frame);
  } catch (const std::exception& e) {
    Close(Reason(e));
    throw;
  }
  lastSent_ = Clock::now();
}

asio::awaitable<void> PeerLink::Writer() {
  const ReplicaLog& log = tags_.log();
  znpeer::Frame frame;
  const ReplicaLog::Cursor cursor = log.cursor();
  frame.mutable_resume()->set_log_id(cursor.logId);
  frame.mutable_resume()->set_applied(cursor.applied);
  co_await Send(frame);
  while (closed_.empty()) {
    bool sent = co_await SendChanges();
    if (ackDue_) {
      ackDue_ = false;
      frame.Clear();
      frame.set_applied(log.cursor().applied);
      co_await Send(frame);
      sent = true;
    }
    if (!sent && Clock::now() - lastSent_ >= settings_.heartbeat) {
      frame.Clear();
      frame.mutable_heartbeat()->set_latest(log.latest());
      frame.mutable_heartbeat()->set_log_id(log.id());
      co_await Send(frame);
      sent = true;
    }
    // Whatever was committed or applied while a frame went out is sent before waiting.
    if (sent) continue;
    wake_.expires_at(lastSent_ + settings_.heartbeat);
    asio::error_code ignored;  // a cancel() ends the wait early
    co_await wake_.async_wait(asio::redirect_error(asio::use_awaitable, ignored));
  }
  throw PeerError(closed_);
}

asio::awaitable<bool> PeerLink::SendChanges() {
  if (!resumed_) co_return false;
  const ReplicaLog& log = tags_.log();
  znpeer::Frame frame;
  auto& changes = *frame.mutable_changes();
  changes.set_log_id(log.id());
  if (copying_) {
    const auto page = tags_.WrittenAfter(copiedUpTo_, kPageChanges);
    changes.set_full_copy(true);
    for (const auto& value : page)
      Fill(*changes.add_changes(), 0, value.tag, value.value, value.stamp);
    copied_ += page.size();
    if (page.size() < kPageChanges) {
      changes.set_complete(true);
      changes.set_last(copyEnd_);
      copying_ = false;
      sent_ = copyEnd_;
      if (copied_ > 0) {
        spdlog::info("sent a full copy of our {} written values to '{}' ({})", copied_,
                     channel_->peerName(), copyReason_);
      }
    } else {
      copiedUpTo_ = page.back().tag;
    }
  } else {
    const auto entries = log.After(sent_, kPageChanges);
    if (entries.empty()) co_return false;
    if (entries.front().seq != sent_ + 1) {
      // The log was trimmed past what the peer has while it was being sent.
      StartFullCopy("our log moved on past the changes it lacked");
      co_return co_await SendChanges();
    }
    for (const auto& entry : entries) {
      Fill(*changes.add_changes(), entry.seq, entry.tag, entry.value, entry.stamp);
    }
    sent_ = entries.back().seq;
    changes.set_last(sent_);
  }
  changes.set_latest(log.latest());
  co_await Send(frame);
  co_return true;
}

void PeerLink::Resumed(const znpeer::Resume& resume) {
  const ReplicaLog& log = tags_.log();
  const std::uint64_t latest = log.latest();
  const std::uint64_t applied = resume.applied();
  resumed_ = true;
  if (resume.log_id().empty()) return StartFullCopy("it had none of our changes");
  if (resume.log_id() != log.id()) {
    return StartFullCopy("it had applied another log of ours: our data folder was replaced");
  }
  if (applied > latest) {
    return StartFullCopy("it had applied more of our log than there is: our data folder is older");
  }
  if (applied + 1 < log.oldest()) {
    return StartFullCopy("it lacked " + std::to_string(latest - applied) +
                         " changes, more than the " + std::to_string(log.keep()) + " we keep");
  }
  sent_ = applied;
  peerApplied_.store(applied, std::memory_order_relaxed);
  if (latest > applied) {
    spdlog::info("'{}' catches up on our changes {} to {}", channel_->peerName(), applied + 1,
                 latest);
  }
}

void PeerLink::StartFullCopy(const std::string& why) {
  copying_ = true;
  copiedUpTo_.clear();
  copied_ = 0;
  copyReason_ = why;
  // Every change up to this number is committed, so the pages read from now on hold it or a
  // newer value.
  copyEnd_ = tags_.log().latest();
  peerApplied_.store(0, std::memory_order_relaxed);
}

// ---- Receiving.

asio::awaitable<void> PeerLink::Reader() {
  std::vector<znpeer::Frame> frames(kFramesPerCommit);
  try {
    while (closed_.empty()) {
      // The frames already at hand are taken together, so that a peer sending fast is
      // applied in a few commits, not one a change.
      std::size_t count = 0;
      do {
        frames[count].Clear();
        co_await channel_->Receive(frames[count++]);
      } while (count < frames.size() && channel_->Buffered());
      Heard();
      std::vector<const znpeer::Changes*> changes;
      for (std::size_t i = 0; i < count; ++i) {
        const znpeer::Frame& frame = frames[i];
        switch (frame.body_case()) {
          case znpeer::Frame::kResume:
            if (resumed_) throw PeerError("the peer said twice where it stands");
            Resumed(frame.resume());
            Wake();
            break;
          case znpeer::Frame::kChanges:
            changes.push_back(&frame.changes());
            break;
          case znpeer::Frame::kApplied:
            peerApplied_.store(frame.applied(), std::memory_order_relaxed);
            break;
          case znpeer::Frame::kHeartbeat: {
            std::lock_guard lock(peerLogMutex_);
            peerLogId_ = frame.heartbeat().log_id();
            peerLatest_ = frame.heartbeat().latest();
            break;
          }
          default:
            throw PeerError("the peer sent a frame of an unknown kind");
        }
      }
      if (!changes.empty()) Apply(changes);
    }
  } catch (const std::exception& e) {
    Close(Reason(e));
  }
  throw PeerError(closed_);
}

void PeerLink::Apply(const std::vector<const znpeer::Changes*>& frames) {
  ReplicaLog::Cursor cursor = tags_.log().cursor();
  std::optional<ReplicaLog::Cursor> reached;
  std::vector<TagStore::Stamped> batch;
  for (const znpeer::Changes* frame : frames) {
    {
      std::lock_guard lock(peerLogMutex_);
      peerLogId_ = frame->log_id();
      peerLatest_ = frame->latest();
    }
    if (!frame->full_copy() && frame->log_id() != cursor.logId) {
      throw PeerError("the peer sent changes of a log this server has not caught up with");
    }
    for (const auto& change : frame->changes()) {
      // A change applied already (a second link sending the same) is passed over.
      if (!frame->full_copy() && change.seq() <= cursor.applied) continue;
      if (!frame->full_copy() && change.seq() != cursor.applied + 1) {
        throw PeerError("the peer skipped changes of its log");
      }
      batch.push_back({change.tag(), change.value(), {change.at(), change.origin()}});
      if (!frame->full_copy()) cursor.applied = change.seq();
    }
    if (frame->full_copy() && frame->complete()) cursor = {frame->log_id(), frame->last()};
    if (!frame->full_copy() || frame->complete()) reached = cursor;
  }
  const TagStore::Applied applied = tags_.ApplyRemote(batch, reached);
  appliedSinceUp_ += applied.applied;
  for (std::size_t i = 0; i < applied.conflicts.size() && i < kConflictsLogged; ++i) {
    spdlog::warn("conflict with '{}': {}", channel_->peerName(), applied.conflicts[i]);
  }
  if (applied.conflicts.size() > kConflictsLogged) {
    spdlog::warn("conflict with '{}': {} more, each kept the newer value", channel_->peerName(),
                 applied.conflicts.size() - kConflictsLogged);
  }
  if (applied.unknown > 0) {
    spdlog::warn(
        "{} changes from '{}' name tags this project lacks or values that do not fit "
        "them; the two servers should serve the same project",
        applied.unknown, channel_->peerName());
  }
  ackDue_ = true;
  Wake();
  const bool upToDate = reached && reached->applied >= frames.back()->latest();
  if (upToDate && !caughtUp_) {
    caughtUp_ = true;
    if (appliedSinceUp_ > 0) {
      spdlog::info("caught up with '{}': {} of its writes applied", channel_->peerName(),
                   appliedSinceUp_);
    }
  }
}

std::uint64_t PeerLink::Behind() const {
  const ReplicaLog& log = tags_.log();
  const std::uint64_t latest = log.latest();
  const std::uint64_t peerApplied = std::min(latest, PeerApplied());
  const ReplicaLog::Cursor cursor = log.cursor();
  std::lock_guard lock(peerLogMutex_);
  const std::uint64_t applied = cursor.logId == peerLogId_ ? cursor.applied : 0;
  return (latest - peerApplied) + (peerLatest_ > applied ? peerLatest_ - applied : 0);
}

}  // namespace znsim
