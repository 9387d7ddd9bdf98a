#include "Queries.h"

#include <strings.h>  // strcasecmp
#include <algorithm>
#include <charconv>
#include <optional>

#include "ScriptParser.h"
#include "TimeText.h"
#include "TrendWindow.h"

namespace znsim {

namespace {

QueryOutcome Fail(std::string error) {
  return {nullptr, std::move(error)};
}

bool SameName(const std::string& a, const char* b) {
  return strcasecmp(a.c_str(), b) == 0;
}

std::optional<std::int64_t> WholeNumber(const Argument& argument) {
  if (argument.kind != Argument::Kind::Number) return std::nullopt;
  std::string_view text = argument.text;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

const std::string* Text(const Argument& argument) {
  if (argument.kind == Argument::Kind::String || argument.kind == Argument::Kind::Word) {
    return &argument.text;
  }
  return nullptr;
}

QueryOutcome TagTable(const Plant& plant) {
  const Project& project = plant.project();
  auto rows = std::make_shared<ComputedRows>(
      std::vector<std::string>{"Tag", "Type", "Units", "Comment"}, project.tags.size(),
      ComputedRows::Source::Memory,
      [&project](std::uint64_t offset, std::uint32_t count, PageWriter& page) {
        for (std::uint64_t i = offset; i < offset + count; ++i) {
          const TagDef& tag = project.tags[i];
          if (!page.Row({tag.name(), TagTypeName(tag.type), tag.units(), tag.comment()})) return;
        }
      });
  return {rows, {}};
}

QueryOutcome TrendTable(const Plant& plant) {
  std::vector<ResultRow> rows;
  rows.reserve(plant.project().trends.size());
  for (const auto& trend : plant.project().trends) {
    rows.push_back({trend.name, trend.tag, FormatNumber(trend.period), trend.comment});
  }
  return {std::make_shared<MaterialRows>(
              std::vector<std::string>{"Name", "Tag", "Period", "Comment"}, std::move(rows)),
          {}};
}

QueryOutcome DeviceTable(const DeviceDef& device) {
  return {std::make_shared<MaterialRows>(device.fields, device.records), {}};
}

QueryOutcome Alarms(const Plant& plant, const Call& call) {
  if (call.arguments.size() != 3) return Fail("ZNAPIAlarm takes 3 arguments");
  const auto first = WholeNumber(call.arguments[0]);
  const auto kind = WholeNumber(call.arguments[1]);
  const auto third = WholeNumber(call.arguments[2]);
  if (!first || !kind || !third) return Fail("ZNAPIAlarm takes whole numbers");
  const Project& project = plant.project();
  std::vector<ResultRow> rows;
  if (*kind == 4) {
    rows.reserve(project.alarms.size());
    for (const auto& alarm : project.alarms) {
      rows.push_back({std::string(alarm.tag()), std::string(alarm.description()),
                      AlarmConditionName(alarm.condition)});
    }
    return {std::make_shared<MaterialRows>(std::vector<std::string>{"Tag", "Name", "Category"},
                                           std::move(rows)),
            {}};
  }
  if (*kind == 0) {
    for (const auto& active : plant.alarms().Active()) {
      const AlarmDef& alarm = project.alarms[active.alarm];
      rows.push_back({FormatDate(active.since), FormatTime(active.since), std::string(alarm.tag()),
                      std::string(alarm.description()), "ON", active.comment});
    }
    return {std::make_shared<MaterialRows>(
                std::vector<std::string>{"Date", "Time", "Tag", "Name", "State", "Comment"},
                std::move(rows)),
            {}};
  }
  return Fail("ZNAPIAlarm knows the kinds 0 (active) and 4 (configured)");
}

// The rows of an alarm summary, read from the history a page at a time, so a summary of a
// long period costs memory for one page only. A client walks the pages in order, which each
// continue where the last ended; a jump elsewhere (back to the first row) counts rows off.
// A search belongs to one connection, which asks for one page at a time.
class SummaryRows final : public ResultSet {
 public:
  SummaryRows(const AlarmHistory& history, AlarmHistory::Period period, std::uint64_t total)
      : history_(history), period_(period), total_(total) {}
  const std::vector<std::string>& Columns() const override {
    static const std::vector<std::string> columns{"OnDate", "OnTime", "OffDate",  "OffTime",
                                                  "Tag",    "Name",   "SumState", "Comment"};
    return columns;
  }
  std::uint64_t Total() const override { return total_; }
  bool InMemory() const override { return false; }
  void Write(std::uint64_t offset, std::uint32_t count, PageWriter& page) const override {
    count = Available(total_, offset, count);
    if (count == 0) return;
    const bool continues = last_ && offset == next_;
    auto occurrences = history_.Page(period_, continues ? &*last_ : nullptr, offset, count);
    std::size_t written = 0;
    for (const auto& o : occurrences) {
      const std::string offDate = o.off ? FormatDate(*o.off) : "";
      const std::string offTime = o.off ? FormatTime(*o.off) : "";
      if (!page.Row({FormatDate(o.on), FormatTime(o.on), offDate, offTime, o.tag, o.description,
                     o.off ? "OFF" : "ON", o.comment})) {
        break;
      }
      ++written;
    }
    // The next page continues after the last row sent, not after the last row read.
    next_ = offset + written;
    if (written > 0) last_ = std::move(occurrences[written - 1]);
  }

 private:
  const AlarmHistory& history_;
  AlarmHistory::Period period_;
  std::uint64_t total_;
  mutable std::uint64_t next_ = 0;               // the offset the next page would start at
  mutable std::optional<AlarmOccurrence> last_;  // the row before it
};

QueryOutcome Summary(const Plant& plant, const Call& call, std::uint64_t maxRows) {
  if (call.arguments.size() != 6) return Fail("ZNAPIAlarmSummary takes 6 arguments");
  const std::string* texts[4];
  for (int i = 0; i < 4; ++i) {
    texts[i] = Text(call.arguments[static_cast<std::size_t>(i)]);
    if (texts[i] == nullptr) return Fail("ZNAPIAlarmSummary takes dates and times as text");
  }
  if (!WholeNumber(call.arguments[4]) || !WholeNumber(call.arguments[5])) {
    return Fail("ZNAPIAlarmSummary takes whole numbers after the period");
  }
  const auto start = ParseLocalDateTime(*texts[0], *texts[1]);
  const auto end = ParseLocalDateTime(*texts[2], *texts[3]);
  if (!start || !end) return Fail("ZNAPIAlarmSummary: not a valid date and time");
  // The period's end second is included whole: an alarm at 04:00:24.700 belongs to it.
  const auto period = plant.history().Summary(*start, *end + 999);
  const std::uint64_t total = *start <= *end ? plant.history().Count(period) : 0;
  if (total > maxRows) return Fail("the summary has more rows than the limit");
  return {std::make_shared<SummaryRows>(plant.history(), period, total), {}};
}

QueryOutcome Trend(const Plant& plant, const Call& call, std::uint64_t maxRows) {
  if (call.arguments.size() != 6) return Fail("ZNAPITrend takes 6 arguments");
  const std::string* time = Text(call.arguments[0]);
  const std::string* date = Text(call.arguments[1]);
  if (time == nullptr || date == nullptr) return Fail("ZNAPITrend takes the end time and date");
  const auto end = ParseLocalDateTime(*date, *time);
  if (!end) return Fail("ZNAPITrend: not a valid end date and time");
  if (call.arguments[2].kind != Argument::Kind::Number) return Fail("ZNAPITrend: bad period");
  const auto step = PeriodMillis(call.arguments[2].text);
  if (!step) return Fail("ZNAPITrend: the period must be a positive number of seconds");
  const auto count = WholeNumber(call.arguments[3]);
  if (!count || *count < 0) return Fail("ZNAPITrend: the count must be a whole number >= 0");
  if (static_cast<std::uint64_t>(*count) > maxRows) return Fail("ZNAPITrend: count over the limit");
  if (!WholeNumber(call.arguments[4])) return Fail("ZNAPITrend: the fifth argument is a number");
  const std::string* name = Text(call.arguments[5]);
  const TrendDef* trend = name ? plant.project().FindTrend(*name) : nullptr;
  if (trend == nullptr) return Fail("ZNAPITrend: unknown trend");
  const auto window = MakeTrendWindow(*end, *step, *count);
  if (!window) return Fail("ZNAPITrend: the samples would start before 1970");

  const auto index = static_cast<std::size_t>(trend - plant.project().trends.data());
  const TrendArchive& archive = plant.trends();
  auto rows = std::make_shared<ComputedRows>(
      std::vector<std::string>{"Date", "Time", trend->name}, static_cast<std::uint64_t>(*count),
      ComputedRows::Source::Disk,
      [&archive, index, w = *window](std::uint64_t offset, std::uint32_t n, PageWriter& page) {
        const auto first = static_cast<std::int64_t>(offset);
        const auto values = archive.Values(index, w, first, n);
        for (std::int64_t i = 0; i < static_cast<std::int64_t>(values.size()); ++i) {
          const Millis t = w.TimeOf(first + i);
          if (!page.Row({FormatDate(t), FormatTime(t, w.Fractional()),
                         FormatSample(values[static_cast<std::size_t>(i)])})) {
            return;
          }
        }
      });
  return {rows, {}};
}

}  // namespace

bool OpensAtOnce(const std::string& table) {
  return table == "Tag";
}

QueryOutcome OpenQuery(Plant& plant, const std::string& table, std::uint64_t maxRows) {
  if (table == "Tag") return TagTable(plant);
  if (table == "_Trend") return TrendTable(plant);
  if (const DeviceDef* device = plant.project().FindDevice(table)) return DeviceTable(*device);

  const ParseResult parsed = ParseCall(table);
  if (!parsed.call) return Fail("unknown table '" + table + "'");
  const Call& call = *parsed.call;
  if (SameName(call.name, "ZNAPIAlarm")) return Alarms(plant, call);
  if (SameName(call.name, "ZNAPIAlarmSummary")) return Summary(plant, call, maxRows);
  if (SameName(call.name, "ZNAPITrend")) return Trend(plant, call, maxRows);
  return Fail("unknown query function '" + call.name + "'");
}

}  // namespace znsim
