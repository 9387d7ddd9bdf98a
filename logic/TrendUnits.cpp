#include "TrendUnits.h"

#include "RecordCursor.h"
#include "TextValues.h"

namespace logic {

namespace {

/// `wanted` of the first record of `table` whose `key` is `name`.
std::optional<QString> FieldOfRecord(binding::ZnApi& api, std::int32_t connection,
                                     const char* table, const char* key, const QString& name,
                                     const char* wanted) {
  binding::RecordCursor find(api, connection, table);
  if (!find.Found()) return std::nullopt;
  std::optional<QString> found;
  find.Walk([&] {
    if (FieldValue(find.Field(key), ValueRule::Trimmed)
            .trimmed()
            .compare(name, Qt::CaseInsensitive) != 0)
      return true;
    found = FieldValue(find.Field(wanted), ValueRule::Trimmed).trimmed();
    return false;
  });
  return found;
}

}  // namespace

std::optional<QString> LookUpTrendUnits(binding::ZnApi& api, std::int32_t connection,
                                        const QString& trend) {
  const auto tag = FieldOfRecord(api, connection, "_Trend", "Name", trend, "Tag");
  if (!tag || tag->isEmpty()) return std::nullopt;
  return FieldOfRecord(api, connection, "Tag", "Tag", *tag, "Units");
}

}  // namespace logic
