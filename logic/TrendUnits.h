#pragma once
/// The engineering units of a trend, which the plot's value axis shows and compares.
#include <QString>
#include <cstdint>
#include <optional>

namespace binding {
class ZnApi;
}

namespace logic {

/// The "Units" of the tag that the trend records: the trend's "Tag" from the "_Trend" table,
/// then that tag's record in the "Tag" table; names match without regard to case. Nothing
/// when either is not found. Each walk stops at its match.
std::optional<QString> LookUpTrendUnits(binding::ZnApi& api, std::int32_t connection,
                                        const QString& trend);

}  // namespace logic
