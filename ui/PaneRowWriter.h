#pragma once
/// Brings the result pane and a query's count label up to date together, in batches. Rows go
/// into the pane's table as they are read; the display takes them in at the first row, then
/// every tenth of a second, and once more when the writer ends, however the query ended, so
/// every row read is on screen when the handler returns and the label never counts rows the
/// pane does not show.
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

  /// Counts one whole row that the pane's table now holds.
  void RowWritten() {
    ++rows_;
    if (Clock::now() - lastFlush_ >= kInterval) Flush();
  }
  void Flush() {
    pane_.Refresh();
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
  std::int32_t rows_ = 0;
  std::int32_t shownRows_ = 0;
  Clock::time_point lastFlush_{};  // the first row goes out at once
};

}  // namespace ui
