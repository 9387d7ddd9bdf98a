// Date, time and period texts as queries send them. A date and time that parse format back
// to the same texts; periods and windows stay within range.
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "Require.h"
#include "TimeText.h"
#include "TrendWindow.h"

namespace {

std::string_view Line(std::string_view& text) {
  const auto end = text.find('\n');
  const auto line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  return line;
}

}  // namespace

// A zone without summer time: there every local time exists once, so texts round-trip.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TZ", "UTC", 1);
  tzset();
  return 0;
}

// Input: the date, the time and the period, one a line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto date = Line(text);
  const auto time = Line(text);
  const auto period = Line(text);
  const auto instant = znsim::ParseLocalDateTime(date, time);
  if (instant) {
    Require(znsim::FormatDate(*instant) == date);
    Require(znsim::FormatTime(*instant) == time);
  }
  const auto step = znsim::PeriodMillis(period);
  if (step) Require(*step > 0);
  if (instant && step) {
    const auto count = static_cast<std::int64_t>(size) * 1000;
    if (const auto window = znsim::MakeTrendWindow(*instant, *step, count)) {
      Require(window->First() >= 0);
      Require(window->TimeOf(count - 1) == *instant);
    }
  }
  return 0;
}
