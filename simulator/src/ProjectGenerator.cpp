#include "ProjectGenerator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace znsim {

namespace {

constexpr std::size_t kSwinging = 2000;  // generated alarms that come and go

// Room for the longest text made here: a prefix, up to 20 digits and a suffix.
using TextBuffer = std::array<char, 80>;

/// `prefix`, then `n` with leading zeros up to `digits` digits, then `suffix`: names and texts
/// made a million at a time at start-up, without printf's parsing of its format each time.
std::string_view Compose(TextBuffer& buffer, std::string_view prefix, std::size_t n,
                         std::size_t digits, std::string_view suffix = {}) {
  std::array<char, 20> number;
  const char* end = std::to_chars(number.data(), number.data() + number.size(), n).ptr;
  const auto length = static_cast<std::size_t>(end - number.data());
  const std::size_t zeros = digits > length ? digits - length : 0;
  char* at = std::copy(prefix.begin(), prefix.end(), buffer.data());
  at = std::fill_n(at, zeros, '0');
  at = std::copy(static_cast<const char*>(number.data()), end, at);
  at = std::copy(suffix.begin(), suffix.end(), at);
  return {buffer.data(), static_cast<std::size_t>(at - buffer.data())};
}

}  // namespace

void AddGenerated(Project& project, const GeneratorCounts& counts) {
  const std::size_t alarms = std::min(counts.alarms, counts.tags);
  const std::size_t trends = std::min(counts.trends, counts.tags);
  project.tags.reserve(project.tags.size() + counts.tags);
  project.alarms.reserve(project.alarms.size() + alarms);
  project.trends.reserve(project.trends.size() + trends);
  TextPool& pool = project.pool();
  const std::size_t swingingEvery = std::max<std::size_t>(1, (alarms + kSwinging - 1) / kSwinging);
  for (std::size_t i = 1; i <= counts.tags; ++i) {
    TextBuffer nameText, commentText, descriptionText;
    const std::string_view name = Compose(nameText, "GEN", i, 6);
    const std::string_view comment = Compose(commentText, "Generated measurement ", i, 1);
    const std::string_view description =
        Compose(descriptionText, "Generated measurement ", i, 1, " high");
    TagDef& tag = project.tags.emplace_back(pool, name, "%", comment);
    tag.type = TagType::Real;
    // Slow sines with spread periods and phases. Up to kSwinging of the alarms, spread over
    // the tags, come and go about once an hour each, at their own moments, so the history
    // fills evenly; the other tags swing below their limits, as most of a large plant's do.
    // Every alarm of a million coming and going would write 550 occurrences a second, and
    // fill the disk.
    const double period = 2400 + static_cast<double>((i * 37) % 2400);
    const double phase = static_cast<double>((i * 7919) % 1000) / 1000.0;
    const double amplitude = (i - 1) % swingingEvery == 0 ? 10 : 2;
    tag.sim = SimModel(SimKind::Sine, 50, amplitude, period, phase, static_cast<std::uint32_t>(i));
    if (i <= alarms) {
      project.alarms.emplace_back(pool, name, AlarmCondition::High, 57, 0.5, std::string_view(),
                                  description);
    }
    if (i <= trends) {
      TextBuffer trendText;
      project.trends.push_back({std::string(Compose(trendText, "GENTR", i, 6)), std::string(name),
                                60, std::string(comment)});
    }
  }
  project.Finish();
}

}  // namespace znsim
