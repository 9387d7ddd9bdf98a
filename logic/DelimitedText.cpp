#include "DelimitedText.h"

#include "FormulaGuard.h"

namespace logic {

void DelimitedText::Add(const QStringList& fields) {
  for (qsizetype i = 0; i < fields.size(); ++i) {
    if (i > 0) text_ += delimiter_;
    AddField(fields[i]);
  }
  text_ += recordEnd_;
}

void DelimitedText::AddField(const QString& field) {
  const QString value = GuardedCell(field);
  const bool quoted = value.contains(delimiter_) || value.contains(QLatin1Char('"')) ||
                      value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'));
  if (!quoted) {
    text_ += value;
    return;
  }
  text_ += QLatin1Char('"');
  for (const QChar c : value) {
    if (c == QLatin1Char('"')) text_ += QLatin1Char('"');
    text_ += c;
  }
  text_ += QLatin1Char('"');
}

QByteArray DelimitedText::FileBytes() const {
  return QByteArrayLiteral("\xEF\xBB\xBF") + text_.toUtf8();
}

}  // namespace logic
