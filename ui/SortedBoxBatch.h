#pragma once
/// Fills a sorted combo box from a long stream of names. Names gather here and join the box
/// in batches, one model change per batch instead of one per name, and end in exactly the
/// order one-by-one sorted insertion gives (case-insensitive, equal names in arrival order).
#include <QElapsedTimer>
#include <QStringList>
#include <vector>

class QComboBox;

namespace ui {

class SortedBoxBatch {
 public:
  /// `flushMs`: how long names may wait before they are shown, so the box still grows
  /// visibly during a long load.
  explicit SortedBoxBatch(QComboBox* box, int flushMs = 150);
  ~SortedBoxBatch();
  SortedBoxBatch(const SortedBoxBatch&) = delete;
  SortedBoxBatch& operator=(const SortedBoxBatch&) = delete;

  void add(QString name);
  /// Puts every waiting name into the box; also done at the end of the batch's life.
  void flush();

 private:
  QComboBox* box_;
  int flushMs_;
  std::vector<QString> pending_;
  QElapsedTimer sinceFlush_;
};

}  // namespace ui
