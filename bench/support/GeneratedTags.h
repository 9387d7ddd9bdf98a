#pragma once
/// The names of the tags that `znsim --generate-tags N` adds: GEN000001 to GEN00000N.
#include <QString>
#include <QStringList>

namespace bench_support {

inline QStringList GeneratedTags(int count) {
  QStringList names;
  names.reserve(count);
  for (int i = 1; i <= count; ++i) names << QStringLiteral("GEN%1").arg(i, 6, 10, QLatin1Char('0'));
  return names;
}

}  // namespace bench_support
