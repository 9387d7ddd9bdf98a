#pragma once
/// How a tag's value moves over time. Every model is a pure function of the instant, so a
/// value can be computed for any past moment (trend samples before the archive began, alarm
/// history seeded at first start) as cheaply as for now.
#include <cstdint>
#include <optional>
#include <string_view>

namespace znsim {

enum class SimKind { Constant, Ramp, Sine, Random, Square };

struct SimModel {
  SimKind kind = SimKind::Constant;
  double offset = 0;     // the constant value; the base of every other model
  double amplitude = 0;  // swing above (ramp, square) or around (sine, random) the offset
  double period = 60;    // seconds for one cycle, or between random knots
  double phase = 0;      // fraction of a period, 0..1
  std::uint32_t seed = 0;
};

/// "constant", "ramp", "sine", "random", "square".
std::optional<SimKind> ParseSimKind(std::string_view text);

/// The model's value at `seconds` since the epoch.
double Evaluate(const SimModel& model, double seconds);

}  // namespace znsim
