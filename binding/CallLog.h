#pragma once
/// The record of library calls: every call either window makes, kept in a bounded ring so that
/// a long session costs a fixed amount of memory. Texts are as they crossed the library's
/// boundary (Windows-1252), and a password is never kept.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "EntryTable.h"

namespace binding {

/// "znOpen", "znClose", ...
const char* ZnOpName(ZnOp op);

/// Texts a record keeps are cut to this many characters.
inline constexpr std::size_t kKeptTextLength = 255;

struct CallRecord {
  std::int64_t startMs = 0;     // wall clock, milliseconds since 1970, when the call began
  std::int64_t durationUs = 0;  // how long the library took
  ZnOp op = ZnOp::znOpen;
  std::int32_t result = 0;  // 0 for a call that failed or raised an error
  /// The call's number arguments and its texts, each in call order; ArgumentsText() puts them
  /// back in place. Out arguments are not arguments here: what they received is `returned`.
  std::array<std::int32_t, kMostNumbers> numbers{};
  std::array<std::string, kMostTexts> texts;
  std::string returned;  // the text or handle the call gave back, when it succeeded
  std::string reason;    // why it failed, when the library or the binding said
};

/// Whether the call failed. A result of 0 is a failure except from the znFindNext that ends a
/// walk: the library says "no more records", or, lacking reasons, says nothing.
bool IsFailure(const CallRecord& record);

/// The arguments of a recorded call as the call had them: numbers, quoted texts, the password
/// as "******".
std::string ArgumentsText(const CallRecord& record);

/// `text` cut to kKeptTextLength characters.
std::string_view KeptText(std::string_view text);

class CallLog {
 public:
  static constexpr std::size_t kDefaultCapacity = 200'000;
  explicit CallLog(std::size_t capacity = kDefaultCapacity);

  /// Whether calls are recorded; the benchmark's switch, on unless turned off.
  bool recording() const { return recording_; }
  void SetRecording(bool on) { recording_ = on; }

  /// The record for a new call, in place of the oldest one when the ring is full. Its texts
  /// keep their storage from an earlier call: the caller sets every field.
  CallRecord& Append();
  /// Forgets every call recorded so far; numbering goes on.
  void Clear() { first_ = end_; }

  /// Calls are numbered from 0 in the order they were recorded. The log keeps those from
  /// first() up to end(); a view compares these to tell what is new and what is gone.
  std::uint64_t first() const { return first_; }
  std::uint64_t end() const { return end_; }
  std::size_t size() const { return static_cast<std::size_t>(end_ - first_); }
  std::size_t capacity() const { return capacity_; }
  /// Call number `n`, which must lie between first() and end().
  const CallRecord& at(std::uint64_t n) const { return records_[n % capacity_]; }
  /// The newest call from number `n` on that failed (IsFailure); nullptr when none did.
  const CallRecord* LastFailureSince(std::uint64_t n) const;

 private:
  std::size_t capacity_;
  std::vector<CallRecord> records_;
  std::uint64_t first_ = 0;
  std::uint64_t end_ = 0;
  bool recording_ = true;
};

}  // namespace binding
