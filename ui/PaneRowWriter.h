#pragma once
/// Hands a query's rows and running count to the result pane and the count label in batches.
/// A query lets events run after every row; if every row reached the display at once, each
/// pass of events would repaint the pane and the label, and painting, not the server, would
/// set the pace of a long query. Each batch brings the display and the label up to date
/// together, so the label never counts rows the pane does not show. The first row goes out at
/// once, then a batch every tenth of a second: laying out rows costs the same per row however
/// full the pane is, so a steady pace shows rows as they arrive and leaves little for the last
/// batch, which goes out when the writer ends, however the query ended, so every row read is
/// on screen when the handler returns.
#include <QLabel>
#include <QString>
#include <chrono>
#include <cstdint>

#include "Widgets.h"

namespace ui {

class PaneRowWriter {
 public:
  /// `countLabel` may be null for a query that keeps no count.
  PaneRowWriter(ui::ResultPane& pane, QLabel* countLabel) : pane_(pane), countLabel_(countLabel) {}
  ~PaneRowWriter() { Flush(); }
  PaneRowWriter(const PaneRowWriter&) = delete;
  PaneRowWriter& operator=(const PaneRowWriter&) = delete;

  /// Where the next row will stand in the pane's text.
  qsizetype End() const { return pane_.text().size() + pending_.size(); }

  /// Adds one whole row, CR LF included; the count label counts these.
  void AppendRow(const QString& row) {
    pending_ += row;
    ++rows_;
    if (Clock::now() - lastFlush_ >= kInterval) Flush();
  }
  void Flush() {
    pane_.append(pending_);
    pending_.clear();
    if (countLabel_ && rows_ != shownRows_)
      ui::SetCaption(countLabel_, QStringLiteral("Count: ") + QString::number(rows_));
    shownRows_ = rows_;
    lastFlush_ = Clock::now();
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr auto kInterval = std::chrono::milliseconds(100);

  ui::ResultPane& pane_;
  QLabel* countLabel_;
  QString pending_;
  std::int32_t rows_ = 0;
  std::int32_t shownRows_ = 0;
  Clock::time_point lastFlush_{};  // the first row goes out at once
};

}  // namespace ui
