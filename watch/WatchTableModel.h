#pragma once
/// The Watch window's table: one row per tag with its value, when it last changed, how often,
/// its range and the server that answered. A cycle repaints only the rows it changed, so ten
/// thousand tags cost what their changes cost; a changed value stays highlighted two seconds.
#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <memory>
#include <utility>

#include "WatchedTags.h"

namespace watch {

class WatchTableModel : public QAbstractTableModel {
 public:
  enum Column { Tag, Value, Changed, Changes, Min, Max, Server, ColumnCount };
  static constexpr int kHighlightMs = 2000;

  explicit WatchTableModel(QObject* parent = nullptr);

  /// A new set of tags, none read yet.
  void SetTags(const QStringList& tags);
  const QStringList& tags() const { return watched_->names(); }
  /// Takes a cycle in and repaints the rows it changed.
  void Apply(const logic::WatchCycle& cycle);
  const logic::WatchedTags& watched() const { return *watched_; }
  /// Whether row `row` is highlighted for a recent change.
  bool Highlighted(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  void EndHighlights();
  void EmitRows(const std::vector<int>& rows);

  std::unique_ptr<logic::WatchedTags> watched_;
  std::vector<qint64> highlightUntil_;           // per row, on clock_
  std::deque<std::pair<qint64, int>> expiring_;  // (until, row), in order of `until`
  QElapsedTimer clock_;
  QTimer expiry_;
};

}  // namespace watch
