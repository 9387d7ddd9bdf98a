#pragma once
/// A trend request made again without the main window: the same query for the same length of
/// time, ending at another instant, through GetConnection (failover applies) and one find, as
/// the main window makes it. The library's own deadlines bound every call.
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "LocalDateTime.h"

namespace binding {
class basZNAPI;
}

namespace logic {

class TrendSamples;

struct TrendRequest {
  QString trend;
  QString samplePeriod;  // as typed
  std::int32_t seconds = 0;
};

/// The samples, or why there are none.
struct TrendReply {
  std::shared_ptr<TrendSamples> samples;
  QString failure;
};

/// The request that gave `samples`; nothing when they do not say (no sample period kept, or
/// a period that is not one).
std::optional<TrendRequest> RequestOf(const TrendSamples& samples);

/// Asks for `request`'s trend over its length of time up to `end`. A reply without samples
/// names the failure: no connection, a find that found nothing, or the library missing.
TrendReply RequestTrend(binding::basZNAPI& module, const TrendRequest& request,
                        const ui::LocalDateTime& end);

}  // namespace logic
