#include "WatchTableModel.h"

#include <QBrush>
#include <QColor>

namespace watch {

namespace {

QString Number(const std::optional<double>& value) {
  return value ? QString::number(*value, 'g', 15) : QString();
}

}  // namespace

WatchTableModel::WatchTableModel(QObject* parent)
    : QAbstractTableModel(parent), watched_(std::make_unique<logic::WatchedTags>(QStringList{})) {
  clock_.start();
  expiry_.setSingleShot(true);
  connect(&expiry_, &QTimer::timeout, this, [this] { EndHighlights(); });
}

void WatchTableModel::SetTags(const QStringList& tags) {
  beginResetModel();
  watched_ = std::make_unique<logic::WatchedTags>(tags);
  highlightUntil_.assign(static_cast<std::size_t>(tags.size()), 0);
  expiring_.clear();
  expiry_.stop();
  endResetModel();
}

void WatchTableModel::Apply(const logic::WatchCycle& cycle) {
  const std::vector<int>& touched = watched_->Apply(cycle);
  const qint64 until = clock_.elapsed() + kHighlightMs;
  for (const int row : touched) {
    if (!watched_->ChangedLastCycle(row)) continue;
    highlightUntil_[static_cast<std::size_t>(row)] = until;
    expiring_.emplace_back(until, row);
  }
  EmitRows(touched);
  if (!expiring_.empty() && !expiry_.isActive())
    expiry_.start(
        static_cast<int>(std::max<qint64>(0, expiring_.front().first - clock_.elapsed())));
}

bool WatchTableModel::Highlighted(int row) const {
  return highlightUntil_[static_cast<std::size_t>(row)] > clock_.elapsed();
}

void WatchTableModel::EndHighlights() {
  const qint64 now = clock_.elapsed();
  std::vector<int> ended;
  while (!expiring_.empty() && expiring_.front().first <= now) {
    const int row = expiring_.front().second;
    // A row changed again since is still highlighted: its later entry ends it.
    if (highlightUntil_[static_cast<std::size_t>(row)] <= now) ended.push_back(row);
    expiring_.pop_front();
  }
  std::sort(ended.begin(), ended.end());
  ended.erase(std::unique(ended.begin(), ended.end()), ended.end());
  EmitRows(ended);
  if (!expiring_.empty()) expiry_.start(static_cast<int>(expiring_.front().first - now));
}

// One signal per run of neighbouring rows: few signals when many rows change, and none for
// the rows that did not.
void WatchTableModel::EmitRows(const std::vector<int>& rows) {
  for (std::size_t i = 0; i < rows.size();) {
    std::size_t j = i + 1;
    while (j < rows.size() && rows[j] == rows[j - 1] + 1) ++j;
    emit dataChanged(index(rows[i], 0), index(rows[j - 1], ColumnCount - 1));
    i = j;
  }
}

int WatchTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(watched_->tags().size());
}

int WatchTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant WatchTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const logic::WatchedTag& tag = watched_->tags()[static_cast<std::size_t>(index.row())];
  if (role == Qt::BackgroundRole)
    return Highlighted(index.row()) ? QVariant(QBrush(QColor(255, 236, 140))) : QVariant();
  if (role == Qt::ForegroundRole && index.column() == Value && tag.failed) return QBrush(Qt::red);
  if (role == Qt::TextAlignmentRole && index.column() >= Changes && index.column() <= Max)
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case Tag:
      return tag.name;
    case Value:
      return tag.failed ? tag.failure : tag.value;
    case Changed:
      return tag.changed.isValid() ? tag.changed.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                                   : QString();
    case Changes:
      return tag.seen ? QString::number(tag.changes) : QString();
    case Min:
      return Number(tag.min);
    case Max:
      return Number(tag.max);
    case Server:
      return tag.server;
    default:
      return {};
  }
}

QVariant WatchTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[ColumnCount] = {"Tag", "Value", "Changed", "Changes",
                                                   "Min", "Max",   "Server"};
  return section >= 0 && section < ColumnCount ? QString::fromLatin1(kTitles[section]) : QVariant();
}

}  // namespace watch
