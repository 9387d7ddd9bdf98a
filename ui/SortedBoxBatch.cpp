#include "SortedBoxBatch.h"

#include <QComboBox>
#include <QStringListModel>
#include <algorithm>
#include <iterator>

#include "StableRunSort.h"

namespace ui {

namespace {
bool Before(const QString& a, const QString& b) {
  return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}
}  // namespace

SortedBoxBatch::SortedBoxBatch(QComboBox* box, int flushMs) : box_(box), flushMs_(flushMs) {
  sinceFlush_.start();
}

SortedBoxBatch::~SortedBoxBatch() {
  flush();
}

void SortedBoxBatch::add(QString name) {
  pending_.push_back(std::move(name));
  if (sinceFlush_.elapsed() >= flushMs_) flush();
}

void SortedBoxBatch::flush() {
  sinceFlush_.restart();
  if (pending_.empty()) return;
  // Stable sorting keeps equal names in arrival order, and the merge puts names already in
  // the box before equal newcomers: the order of inserting each after its equals.
  StableRunSort(pending_.begin(), pending_.end(), Before);
  const int current = box_->currentIndex();
  const QString typed = box_->currentText();
  auto* names = qobject_cast<QStringListModel*>(box_->model());
  QStringList present;
  if (names) {
    present = names->stringList();
  } else {
    present.reserve(box_->count());
    for (int i = 0; i < box_->count(); ++i) present.push_back(box_->itemText(i));
  }
  QStringList merged;
  merged.reserve(present.size() + static_cast<qsizetype>(pending_.size()));
  std::merge(present.begin(), present.end(), pending_.begin(), pending_.end(),
             std::back_inserter(merged), Before);
  pending_.clear();
  if (names) {
    names->setStringList(merged);
  } else {
    box_->clear();
    box_->addItems(merged);
  }
  // Filling the list picks nothing: an empty box stays without a current entry.
  if (current < 0) {
    box_->setCurrentIndex(-1);
    if (box_->isEditable()) box_->setEditText(typed);
  }
}

}  // namespace ui
