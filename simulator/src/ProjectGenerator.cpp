#include "ProjectGenerator.h"

#include <algorithm>
#include <cstdio>

namespace znsim {

namespace {

std::string Numbered(const char* prefix, std::size_t n) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%06zu", prefix, n);
  return text;
}

}  // namespace

void AddGenerated(Project& project, const GeneratorCounts& counts) {
  const std::size_t alarms = std::min(counts.alarms, counts.tags);
  const std::size_t trends = std::min(counts.trends, counts.tags);
  project.tags.reserve(project.tags.size() + counts.tags);
  project.alarms.reserve(project.alarms.size() + alarms);
  project.trends.reserve(project.trends.size() + trends);
  TextPool& pool = project.pool();
  for (std::size_t i = 1; i <= counts.tags; ++i) {
    char name[32];
    char comment[64];
    char description[80];
    std::snprintf(name, sizeof name, "GEN%06zu", i);
    std::snprintf(comment, sizeof comment, "Generated measurement %zu", i);
    std::snprintf(description, sizeof description, "%s high", comment);
    TagDef tag(pool, name, "%", comment);
    tag.type = TagType::Real;
    // Slow sines with spread periods and phases: each alarm comes and goes about once an
    // hour, at its own moment, so the history fills evenly.
    const double period = 2400 + static_cast<double>((i * 37) % 2400);
    const double phase = static_cast<double>((i * 7919) % 1000) / 1000.0;
    tag.sim = SimModel(SimKind::Sine, 50, 10, period, phase, static_cast<std::uint32_t>(i));
    if (i <= alarms) {
      project.alarms.emplace_back(pool, name, AlarmCondition::High, 57, 0.5, std::string_view(),
                                  description);
    }
    if (i <= trends) project.trends.push_back({Numbered("GENTR", i), name, 60, comment});
    project.tags.push_back(std::move(tag));
  }
  project.Finish();
}

}  // namespace znsim
