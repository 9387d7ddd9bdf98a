#include "DeviceFieldCount.h"

#include <limits>

#include "NumberText.h"

namespace app {

DeviceFieldCount ReadDeviceFieldCount(const QString& text) {
  const auto number = ParseDecimal(text);
  if (!number)
    return {0, QStringLiteral("Type mismatch: the field count '%1' is not a number.").arg(text)};
  const auto count = RoundToInt32(*number);
  if (!count || *count > std::numeric_limits<std::int16_t>::max())
    return {0,
            QStringLiteral("Overflow: the field count %1 is more than 32767.").arg(text.trimmed())};
  return {static_cast<std::int16_t>(*count > 0 ? *count : 0), {}};
}

}  // namespace app
