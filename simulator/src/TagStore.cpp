#include "TagStore.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace znsim {

namespace {

// Called for every model value, so the scales are looked up rather than computed.
double Round(double value, int decimals) {
  static constexpr double kScale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  const double scale = kScale[std::clamp(decimals, 0, 9)];
  return std::round(value * scale) / scale;
}

}  // namespace

double ModelNumber(const TagDef& tag, Millis t) {
  const double raw = Evaluate(tag.sim, static_cast<double>(t) / 1000.0);
  switch (tag.type) {
    case TagType::Digital:
      return raw >= 0.5 ? 1 : 0;
    case TagType::Integer:
      return std::round(raw);
    case TagType::Real:
      return Round(raw, tag.decimals);
    case TagType::String:
      return 0;
  }
  return 0;
}

std::string ModelText(const TagDef& tag, Millis t) {
  if (tag.type != TagType::String) return FormatNumber(ModelNumber(tag, t));
  if (tag.texts.empty()) return {};
  const double raw = Evaluate(tag.sim, static_cast<double>(t) / 1000.0);
  const auto n = static_cast<long long>(tag.texts.size());
  long long index = static_cast<long long>(std::floor(raw)) % n;
  if (index < 0) index += n;
  return tag.texts[static_cast<std::size_t>(index)];
}

TagStore::TagStore(const Project& project, Database& db)
    : project_(project),
      db_(db),
      isWritten_(std::make_unique<std::atomic<bool>[]>(project.tags.size())) {
  auto lock = db_.Lock();
  db_.Exec("CREATE TABLE IF NOT EXISTS written_value(tag TEXT PRIMARY KEY, value TEXT NOT NULL)");
  Statement select(db_.Handle(), "SELECT tag, value FROM written_value");
  while (select.Step()) {
    const std::size_t index = project_.TagIndex(select.Text(0));
    if (index == Project::npos) continue;
    // A project edited since the write may have changed the type; keep only what still fits.
    auto value = CanonicalValue(project_.tags[index].type, select.Text(1));
    if (!value) continue;
    const double number = NumericValue(*value).value_or(0);
    written_[index] = {std::move(*value), number};
    isWritten_[index] = true;
  }
}

std::optional<std::string> TagStore::Read(std::string_view name, Millis now) const {
  const std::size_t index = project_.TagIndex(name);
  if (index == Project::npos) return std::nullopt;
  return Text(index, now);
}

const TagStore::Written& TagStore::WrittenValue(std::size_t index) const {
  return written_.find(index)->second;
}

std::string TagStore::Text(std::size_t index, Millis now) const {
  if (isWritten_[index].load(std::memory_order_acquire)) {
    std::shared_lock lock(mutex_);
    return WrittenValue(index).text;
  }
  return ModelText(project_.tags[index], now);
}

double TagStore::Number(std::size_t index, Millis now) const {
  if (isWritten_[index].load(std::memory_order_acquire)) {
    std::shared_lock lock(mutex_);
    return WrittenValue(index).number;
  }
  return ModelNumber(project_.tags[index], now);
}

double TagStore::SteadySeconds(std::size_t index, Millis now, double margin) const {
  if (isWritten_[index].load(std::memory_order_acquire)) {
    return std::numeric_limits<double>::infinity();
  }
  const TagDef& tag = project_.tags[index];
  const double seconds = static_cast<double>(now) / 1000.0;
  switch (tag.type) {
    case TagType::Real: {
      // Rounding moves the shown value by up to one step besides the model's own motion.
      static constexpr double kStep[] = {1, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8, 1e-9};
      return SteadyFor(tag.sim, seconds, margin - kStep[std::min<int>(tag.decimals, 9)]);
    }
    case TagType::Integer:
      return SteadyFor(tag.sim, seconds, margin - 1);
    case TagType::Digital:
      // 0 or 1: it moves only when the model crosses one half.
      if (margin > 1) return std::numeric_limits<double>::infinity();
      return SteadyFor(tag.sim, seconds, std::fabs(Evaluate(tag.sim, seconds) - 0.5));
    case TagType::String:
      break;
  }
  return std::numeric_limits<double>::infinity();
}

std::vector<std::size_t> TagStore::TakeWritten() {
  std::unique_lock lock(mutex_);
  return std::exchange(writtenSince_, {});
}

TagStore::WriteStatus TagStore::Prepare(std::string_view name, const std::string& text,
                                        Change& change) const {
  const std::size_t index = project_.TagIndex(name);
  if (index == Project::npos) return WriteStatus::UnknownTag;
  auto value = CanonicalValue(project_.tags[index].type, text);
  if (!value) return WriteStatus::BadValue;
  change = {index, std::move(*value)};
  return WriteStatus::Written;
}

std::string TagStore::Refusal(const std::string& name, const std::string& text) const {
  const std::size_t index = project_.TagIndex(name);
  if (index == Project::npos) return "unknown tag '" + name + "'";
  const TagType type = project_.tags[index].type;
  return ValueRefusal(type, text) + " (tag " + name + " is " + TagTypeName(type) + ")";
}

TagStore::WriteResult TagStore::Write(std::string_view name, const std::string& text) {
  Change change;
  const WriteStatus status = Prepare(name, text, change);
  if (status != WriteStatus::Written) return {status, {}};
  Commit({change});
  return {status, std::move(change.value)};
}

void TagStore::Commit(const std::vector<Change>& changes) {
  if (changes.empty()) return;
  std::lock_guard order(writeMutex_);
  {
    auto lock = db_.Lock();
    Transaction transaction(db_);
    Statement upsert(db_.Handle(),
                     "INSERT INTO written_value(tag, value) VALUES(?1, ?2) "
                     "ON CONFLICT(tag) DO UPDATE SET value = excluded.value");
    for (const auto& change : changes) {
      upsert.Bind(1, project_.tags[change.tag].name()).Bind(2, change.value).Run();
    }
    transaction.Commit();
  }
  std::unique_lock lock(mutex_);
  for (const auto& change : changes) {
    const TagDef& tag = project_.tags[change.tag];
    const double number = tag.type == TagType::String ? 0 : NumericValue(change.value).value_or(0);
    written_[change.tag] = {change.value, number};
    isWritten_[change.tag].store(true, std::memory_order_release);
    if (std::find(writtenSince_.begin(), writtenSince_.end(), change.tag) == writtenSince_.end()) {
      writtenSince_.push_back(change.tag);
    }
  }
}

}  // namespace znsim
