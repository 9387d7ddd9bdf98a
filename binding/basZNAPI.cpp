#include "basZNAPI.h"

#include <utility>

#include "NumericText.h"
#include "ResultBuffer.h"

namespace binding {

namespace {

// Sent to a handle to prove that its server still answers.
constexpr const char* kLivenessFunction = "Time(1)";

bool IsTrue(std::int16_t flag) {
  return flag != kFalse;
}

// Slots beyond the table's two are never visited, whatever SlotCount says.
int VisitedSlots(std::int16_t slotCount) {
  if (slotCount < 0) return 0;
  return slotCount > 2 ? 2 : slotCount;
}

}  // namespace

std::int32_t basZNAPI::GetConnection() {
  ConnectionTable& t = table_;
  t.CurrentSlot = -1;
  failures_.clear();
  std::int32_t result = 0;
  try {
    const int slots = VisitedSlots(t.SlotCount);
    for (int slot = 0; slot < slots; ++slot) {
      if (t.Handle[slot] != 0) {
        std::string ignored;
        if (CallServerFunction(t.Handle[slot], kLivenessFunction, ignored) != kFalse) {
          t.CurrentSlot = static_cast<std::int16_t>(slot);
          result = t.Handle[slot];
          break;
        }
        NoteFailure(slot);  // before the close, whose own outcome replaces the reason
        api_.znClose(t.Handle[slot]);
        t.Handle[slot] = 0;
        continue;  // a slot found dead waits for the next call before it is opened again
      }
      if (IsTrue(t.OpenAllowed[slot])) {
        t.OpenedWith[slot] = Login{t.Computer[slot], t.UserID[slot], t.Password[slot]};
        const Login& login = t.OpenedWith[slot];
        t.Handle[slot] =
            api_.znOpen(login.Computer.c_str(), login.UserID.c_str(), login.Password.c_str(), 0);
        if (t.Handle[slot] != 0) {
          t.CurrentSlot = static_cast<std::int16_t>(slot);
          result = t.Handle[slot];
          break;
        }
        NoteFailure(slot);
      }
    }
  } catch (...) {
    // The error is the caller's to report, but the table must not be left naming slot -1:
    // every status text indexes Computer by CurrentSlot.
    t.CurrentSlot = 0;
    throw;
  }

  if (t.CurrentSlot == -1) {
    t.OpenAllowed[0] = kTrue;
    t.CurrentSlot = 0;
    return 0;
  }
  if (t.CurrentSlot == 1) t.OpenAllowed[0] = t.TryPrimaryFirst;
  return result;
}

std::int16_t basZNAPI::CallServerFunction(std::int32_t h, std::string function,
                                          std::string& result) {
  try {
    ResultBuffer buffer;
    const std::int32_t ran =
        api_.znZncode(h, function.c_str(), 0, 0, buffer.data(), buffer.length(), 0);
    result = buffer.text();
    return ran != 0 ? kTrue : kFalse;
  } catch (...) {
    return kFalse;
  }
}

TagValue basZNAPI::ReadTagValue(std::int32_t h, std::string tag) {
  if (h == 0) return std::monostate{};
  try {
    ResultBuffer buffer;
    if (api_.znTagRead(h, tag.c_str(), buffer.data(), buffer.length()) == 0)
      return std::monostate{};
    // The text alone, never padded: a padded value would go back to the server with its
    // blanks at the next write.
    std::string text = buffer.text();
    if (auto number = ParseNumericText(text)) return *number;
    return text;
  } catch (...) {
    return std::monostate{};
  }
}

bool basZNAPI::WriteTag(std::int32_t h, const std::string& tag, const std::string& value) {
  return api_.znTagWrite(h, tag.c_str(), value.c_str()) != 0;
}

std::string basZNAPI::ConnectionFailure() const {
  std::string text;
  for (const SlotFailure& failure : failures_) {
    if (failure.reason.empty()) continue;
    if (!text.empty()) text += '\n';
    if (table_.SlotCount > 1) text += failure.slot == 0 ? "Primary: " : "Standby: ";
    text += failure.reason;
  }
  return text;
}

void basZNAPI::NoteFailure(int slot) {
  failures_.push_back({slot, api_.LastReason()});
}

void basZNAPI::ReopenChangedSlots() {
  ConnectionTable& t = table_;
  for (std::size_t slot = 0; slot < t.Handle.size(); ++slot) {
    // A slot never tried compares unequal and is made openable, which it already is: only a
    // failover parks the primary, and only after trying it.
    if (t.OpenedWith[slot] == Login{t.Computer[slot], t.UserID[slot], t.Password[slot]}) continue;
    t.OpenAllowed[slot] = kTrue;
    if (t.Handle[slot] == 0) continue;
    const std::int32_t changed = t.Handle[slot];
    t.Handle[slot] = 0;
    api_.znClose(changed);
  }
}

void basZNAPI::CloseAll() {
  for (std::int32_t& handle : table_.Handle) {
    if (handle == 0) continue;
    try {
      api_.znClose(std::exchange(handle, 0));
    } catch (const std::exception&) {
      // The library vanished; there is nothing left to close.
    }
  }
}

const std::string& basZNAPI::ComputerInUse() const {
  return table_.OpenedWith[table_.CurrentSlot == 1 ? 1 : 0].Computer;
}

std::string basZNAPI::ServerName() const {
  const std::string& computer = ComputerInUse();
  return computer.empty() ? std::string("LOCAL") : computer;
}

}  // namespace binding
