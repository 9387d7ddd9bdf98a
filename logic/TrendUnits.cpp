#include "TrendUnits.h"

#include "RecordCursor.h"

namespace logic {

namespace {

/// `wanted` of the first record of `table` whose `key` is `name`.
std::optional<QString> FieldOfRecord(binding::ZnApi& api, std::int32_t connection,
                                     const QString& table, const char* key, const QString& name,
                                     const char* wanted) {
  RecordCursor find(api, connection, table);
  if (!find.Found()) return std::nullopt;
  QString value;
  do {
    find.Read(key, ValueRule::Trimmed, value);
    if (value.trimmed().compare(name, Qt::CaseInsensitive) != 0) continue;
    find.Read(wanted, ValueRule::Trimmed, value);
    return value.trimmed();
  } while (find.Next());
  return std::nullopt;
}

}  // namespace

std::optional<QString> LookUpTrendUnits(binding::ZnApi& api, std::int32_t connection,
                                        const QString& trend) {
  const auto tag = FieldOfRecord(api, connection, QStringLiteral("_Trend"), "Name", trend, "Tag");
  if (!tag || tag->isEmpty()) return std::nullopt;
  return FieldOfRecord(api, connection, QStringLiteral("Tag"), "Tag", *tag, "Units");
}

}  // namespace logic
