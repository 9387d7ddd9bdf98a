#pragma once
/// The number of fields a device's records offer, from the text of their count property.
#include <QString>
#include <cstdint>

namespace app {

struct DeviceFieldCount {
  std::int16_t value = 0;
  /// Why the text cannot serve as a field count; empty when it can.
  QString failure;
  bool ok() const { return failure.isEmpty(); }
};

/// A plain decimal number rounded to a whole number (halves to even). Fields are numbered
/// with 16 bits, so a count of 32768 or more cannot be walked; a count below 1 walks none.
DeviceFieldCount ReadDeviceFieldCount(const QString& text);

}  // namespace app
