#include "Simulation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace znsim {

namespace {

double Fraction(double x) {
  return x - std::floor(x);
}

// A reproducible value in [-1, 1] for one knot of a random model.
double KnotValue(std::uint32_t seed, std::int64_t knot) {
  std::uint64_t z = (std::uint64_t{seed} << 32) ^ static_cast<std::uint64_t>(knot);
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

// Smooth noise between knots, with a faster and smaller second layer, so a value wanders
// like a process measurement instead of jumping.
double Wander(std::uint32_t seed, double position) {
  double total = 0;
  double weight = 1;
  for (int layer = 0; layer < 2; ++layer) {
    const double x = position * (layer + 1) * 3.1;
    const auto knot = static_cast<std::int64_t>(std::floor(x));
    const double f = Fraction(x);
    const double smooth = (1 - std::cos(f * std::numbers::pi)) / 2;
    const double a = KnotValue(seed + layer, knot);
    const double b = KnotValue(seed + layer, knot + 1);
    total += weight * (a + (b - a) * smooth);
    weight *= 0.3;
  }
  return total / 1.3;
}

}  // namespace

// The steepest slope of Wander per unit of position: each layer's cosine blend of knots up to
// 2 apart moves at most pi/2 * 2 per knot, with 3.1 and 6.2 knots per unit and weights 1 and
// 0.3, all over 1.3.
constexpr double kWanderSlope = std::numbers::pi * 3.1 * (1 + 0.3 * 2) / 1.3;

std::optional<SimKind> ParseSimKind(std::string_view text) {
  if (text == "constant") return SimKind::Constant;
  if (text == "ramp") return SimKind::Ramp;
  if (text == "sine") return SimKind::Sine;
  if (text == "random") return SimKind::Random;
  if (text == "square") return SimKind::Square;
  return std::nullopt;
}

double Evaluate(const SimModel& model, double seconds) {
  const double period = model.period > 0 ? model.period : 1;
  const double cycles = seconds / period + model.phase;
  switch (model.kind) {
    case SimKind::Constant:
      return model.offset;
    case SimKind::Ramp:
      return model.offset + model.amplitude * Fraction(cycles);
    case SimKind::Sine:
      return model.offset + model.amplitude * std::sin(2 * std::numbers::pi * cycles);
    case SimKind::Square:
      return model.offset + (Fraction(cycles) < 0.5 ? model.amplitude : 0);
    case SimKind::Random:
      return model.offset + model.amplitude * Wander(model.seed, cycles / 3.1);
  }
  return model.offset;
}

double SteadyFor(const SimModel& model, double seconds, double margin) {
  constexpr double kForever = std::numeric_limits<double>::infinity();
  const double period = model.period > 0 ? model.period : 1;
  const double amplitude = std::fabs(model.amplitude);
  if (model.kind == SimKind::Constant || amplitude == 0) return kForever;
  if (margin <= 0) return 0;
  // No value of the model is further from another than its whole swing: a limit beyond that
  // is never reached, however long one waits (a little is added for rounding).
  const double swing =
      model.kind == SimKind::Sine || model.kind == SimKind::Random ? 2 * amplitude : amplitude;
  if (margin > swing * (1 + 1e-9)) return kForever;
  const double cycle = Fraction(seconds / period + model.phase);
  switch (model.kind) {
    case SimKind::Sine:
      return margin / (2 * std::numbers::pi * amplitude / period);
    case SimKind::Random:
      // Position moves 1/3.1 per cycle.
      return margin / (kWanderSlope * amplitude / (3.1 * period));
    case SimKind::Ramp:
      return std::min(margin / (amplitude / period), (1 - cycle) * period);
    case SimKind::Square:
      return (cycle < 0.5 ? 0.5 - cycle : 1 - cycle) * period;
    case SimKind::Constant:
      break;
  }
  return kForever;
}

}  // namespace znsim
