#include <QVBoxLayout>

#include "PaneView.h"
#include "Widgets.h"

namespace ui {

namespace {

QFont FixedPitchFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                    QStringLiteral("DejaVu Sans Mono")});
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPointSizeF(8.25);
  return font;
}

}  // namespace

ResultPane::ResultPane(QWidget* parent) : QWidget(parent), view_(new PaneView(table_, this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  view_->setFont(FixedPitchFont());
  view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void ResultPane::Refresh() {
  view_->Refresh();
}

}  // namespace ui
