#pragma once
/// Adds generated tags, alarms and trends to a project for scale tests and benchmarks. The
/// same counts always give the same names, models and limits.
#include <cstddef>

#include "Project.h"

namespace znsim {

struct GeneratorCounts {
  std::size_t tags = 0;
  std::size_t alarms = 0;  // alarm tags among the generated tags (at most `tags`)
  std::size_t trends = 0;  // trends of generated tags (at most `tags`)
};

/// Appends GEN000001... real tags, a high alarm on the first `alarms` of them (of which up to
/// 2,000 come and go, the rest stay quiet) and a trend GENTR000001... of the first `trends`,
/// then rebuilds the project's indexes.
void AddGenerated(Project& project, const GeneratorCounts& counts);

}  // namespace znsim
