#pragma once
/// How a tag's value moves over time. Every model is a pure function of the instant, so a
/// value can be computed for any past moment (trend samples before the archive began, alarm
/// history seeded at first start) as cheaply as for now.
#include <cstdint>
#include <optional>
#include <string_view>

namespace znsim {

enum class SimKind : std::uint8_t { Constant, Ramp, Sine, Random, Square };

struct SimModel {
  SimModel() = default;
  SimModel(SimKind kind, double offset, double amplitude, double period, double phase,
           std::uint32_t seed)
      : kind(kind),
        seed(seed),
        offset(offset),
        amplitude(amplitude),
        period(period),
        phase(phase) {}

  // The small members first, so that a tag's model takes 40 bytes.
  SimKind kind = SimKind::Constant;
  std::uint32_t seed = 0;
  double offset = 0;     // the constant value; the base of every other model
  double amplitude = 0;  // swing above (ramp, square) or around (sine, random) the offset
  double period = 60;    // seconds for one cycle, or between random knots
  double phase = 0;      // fraction of a period, 0..1
};

/// "constant", "ramp", "sine", "random", "square".
std::optional<SimKind> ParseSimKind(std::string_view text);

/// The model's value at `seconds` since the epoch.
double Evaluate(const SimModel& model, double seconds);

/// Seconds from `seconds` on during which the model's value surely moves by less than
/// `margin`: from a bound of its rate of change, and up to its next jump (a ramp's wrap, a
/// square's edge). Infinite for a constant, and for a margin wider than the model's swing.
double SteadyFor(const SimModel& model, double seconds, double margin);

}  // namespace znsim
