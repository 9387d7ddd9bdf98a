#pragma once
/// Tables as text for spreadsheets: comma-separated files (RFC 4180) and the tab-separated
/// text that the clipboard carries.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>

namespace logic {

class DelimitedText {
 public:
  /// CSV as a file holds it: commas, CR LF after every record.
  static DelimitedText Csv() { return DelimitedText(QLatin1Char(','), QStringLiteral("\r\n")); }
  /// Tab-separated, as spreadsheets paste it: tabs, LF after every record.
  static DelimitedText Tsv() { return DelimitedText(QLatin1Char('\t'), QStringLiteral("\n")); }

  /// Appends one record. A field holding the delimiter, a quote or a line break is quoted,
  /// its quotes doubled. A field that a spreadsheet would run as a formula gets a leading "'"
  /// so that it stays text (FormulaGuard.h): the values come from a server and are not the
  /// user's own.
  void Add(const QStringList& fields);

  const QString& text() const { return text_; }
  /// The text as a file holds it: UTF-8 with a byte-order mark, which spreadsheets need to
  /// tell UTF-8 from the local code page.
  QByteArray FileBytes() const;

 private:
  DelimitedText(QChar delimiter, QString recordEnd)
      : delimiter_(delimiter), recordEnd_(std::move(recordEnd)) {}
  void AddField(const QString& field);

  QChar delimiter_;
  QString recordEnd_;
  QString text_;
};

}  // namespace logic
