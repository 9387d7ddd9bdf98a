#pragma once
/// Removing blanks the way the server's texts need it: spaces only, so that a tab or a
/// control character the server sends stays part of the text.
#include <QString>

namespace app {

inline QString TrimLeadingBlanks(const QString& s) {
  qsizetype i = 0;
  while (i < s.size() && s[i] == QLatin1Char(' ')) ++i;
  return s.mid(i);
}

inline QString TrimTrailingBlanks(const QString& s) {
  qsizetype n = s.size();
  while (n > 0 && s[n - 1] == QLatin1Char(' ')) --n;
  return s.left(n);
}

inline QString TrimBlanks(const QString& s) {
  return TrimTrailingBlanks(TrimLeadingBlanks(s));
}

}  // namespace app
