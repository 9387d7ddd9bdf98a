#include "Simulation.h"

#include <cmath>
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

}  // namespace znsim
