#pragma once
/// The call log as a Qt table model: one row per call that passes the filter. Rows are made
/// on demand from the log, so 200,000 calls cost no more than the ones on screen.
#include <QAbstractTableModel>

#include "CallLogTable.h"

namespace calllog {

class CallLogModel : public QAbstractTableModel {
 public:
  CallLogModel(const binding::CallLog& log, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  /// Shows the calls that pass `filter`, from the oldest kept.
  void SetFilter(const Filter& filter);
  /// Catches up with the log: drops the rows of calls it no longer keeps and appends the new
  /// ones. True when rows were appended.
  bool Update();

  const CallLogRows& rows() const { return rows_; }

 private:
  CallLogRows rows_;
};

}  // namespace calllog
