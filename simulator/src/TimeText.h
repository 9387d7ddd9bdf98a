#pragma once
/// Local date and time texts as the ZnAPI queries use them: dates "dd/mm/yyyy", times
/// "HH:MM:SS". Instants are milliseconds since the Unix epoch.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace znsim {

using Millis = std::int64_t;

Millis NowMillis();

/// "dd/mm/yyyy" of the local date at `t`; empty when the instant cannot be represented.
std::string FormatDate(Millis t);
/// "HH:MM:SS" of the local time at `t`; with `withMillis`, ".mmm" follows.
std::string FormatTime(Millis t, bool withMillis = false);

/// The instant of a local date "dd/mm/yyyy" and time "HH:MM:SS"; nullopt when either text is
/// not a real calendar date or clock time (31/02/2024, 24:00:00, trailing text...).
std::optional<Millis> ParseLocalDateTime(std::string_view date, std::string_view time);

}  // namespace znsim
