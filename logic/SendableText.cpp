#include "SendableText.h"

#include <QList>  // QString::toUcs4
#include <algorithm>
#include <vector>

#include "Host.h"
#include "Windows1252.h"

namespace logic {

namespace {

// A pasted paragraph of another script would make a box taller than the screen.
constexpr std::size_t kNamedAtMost = 8;

QString Named(char32_t c) {
  return QString::fromUcs4(&c, 1) +
         QStringLiteral(" (U+%1)").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

std::optional<QString> UnsendableText(const QStringList& texts) {
  std::vector<char32_t> lacking;
  for (const QString& text : texts) {
    for (const char32_t c : text.toUcs4()) {
      if (!codepage::InWindows1252(c) &&
          std::find(lacking.begin(), lacking.end(), c) == lacking.end())
        lacking.push_back(c);
    }
  }
  if (lacking.empty()) return std::nullopt;
  QStringList names;
  for (std::size_t i = 0; i < std::min(lacking.size(), kNamedAtMost); ++i)
    names << Named(lacking[i]);
  QString list = names.join(QStringLiteral(", "));
  if (lacking.size() > kNamedAtMost)
    list += QStringLiteral(" and %1 more").arg(lacking.size() - kNamedAtMost);
  return list + QStringLiteral(" cannot be sent: the library carries Windows-1252 text");
}

bool Sendable(ui::Host& host, const QStringList& texts) {
  const std::optional<QString> refusal = UnsendableText(texts);
  if (!refusal) return true;
  host.MsgBox(*refusal, ui::kStyleInformation);
  return false;
}

}  // namespace logic
