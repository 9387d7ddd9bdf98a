#pragma once
/// Hands a query's rows and running count to the result pane and the count label in batches.
/// A query lets events run after every row; if every row reached the display at once, each
/// pass of events would repaint the pane and the label, and painting, not the server, would
/// set the pace of a long query. Batches go out a few times a second and when the writer
/// ends, however the query ended, so what was read is always shown.
#include <QLabel>
#include <QString>
#include <chrono>
#include <cstdint>

#include "Widgets.h"

namespace app {

class PaneRowWriter {
 public:
  /// `countLabel` may be null for a query that keeps no count.
  PaneRowWriter(ui::ResultPane& pane, QLabel* countLabel)
      : pane_(pane), countLabel_(countLabel), lastFlush_(Clock::now()) {}
  ~PaneRowWriter() { Flush(); }
  PaneRowWriter(const PaneRowWriter&) = delete;
  PaneRowWriter& operator=(const PaneRowWriter&) = delete;

  void AppendRow(const QString& row) {
    pending_ += row;
    FlushIfDue();
  }
  void ShowCount(std::int32_t rows) {
    count_ = rows;
    countChanged_ = true;
    FlushIfDue();
  }
  void Flush() {
    if (!pending_.isEmpty()) {
      pane_.append(pending_);
      pending_.clear();
    }
    if (countLabel_ && countChanged_)
      ui::SetCaption(countLabel_, QStringLiteral("Count: ") + QString::number(count_));
    countChanged_ = false;
    lastFlush_ = Clock::now();
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr auto kInterval = std::chrono::milliseconds(100);

  void FlushIfDue() {
    if (Clock::now() - lastFlush_ >= kInterval) Flush();
  }

  ui::ResultPane& pane_;
  QLabel* countLabel_;
  QString pending_;
  std::int32_t count_ = 0;
  bool countChanged_ = false;
  Clock::time_point lastFlush_;
};

}  // namespace app
