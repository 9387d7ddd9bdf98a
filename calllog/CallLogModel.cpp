#include "CallLogModel.h"

#include <QBrush>

namespace calllog {

CallLogModel::CallLogModel(const binding::CallLog& log, QObject* parent)
    : QAbstractTableModel(parent), rows_(log) {
  rows_.Reset({});
}

int CallLogModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CallLogModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant CallLogModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  // A call the log dropped since the last update shows as an empty row until then.
  const binding::CallRecord* record = rows_.at(static_cast<std::size_t>(index.row()));
  if (!record) return {};
  const auto column = static_cast<Column>(index.column());
  switch (role) {
    case Qt::DisplayRole:
      return FieldText(*record, column);
    case Qt::ToolTipRole:
      // Long texts are cut in their cells; the tip shows them whole.
      if (column == kArguments || column == kReturned || column == kReason) {
        return FieldText(*record, column);
      }
      return {};
    case Qt::ForegroundRole:
      if (binding::IsFailure(*record)) return QBrush(Qt::darkRed);
      return {};
    case Qt::TextAlignmentRole:
      if (column == kResult || column == kDuration) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      }
      return {};
    default:
      return {};
  }
}

QVariant CallLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  return ColumnTitles().value(section);
}

void CallLogModel::SetFilter(const Filter& filter) {
  beginResetModel();
  rows_.Reset(filter);
  endResetModel();
}

bool CallLogModel::Update() {
  if (const std::size_t stale = rows_.Stale(); stale > 0) {
    beginRemoveRows({}, 0, static_cast<int>(stale) - 1);
    rows_.DropStale();
    endRemoveRows();
  }
  const auto fresh = rows_.Fresh();
  if (fresh.empty()) return false;
  const int first = static_cast<int>(rows_.size());
  beginInsertRows({}, first, first + static_cast<int>(fresh.size()) - 1);
  rows_.Append(fresh);
  endInsertRows();
  return true;
}

}  // namespace calllog
