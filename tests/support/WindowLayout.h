#pragma once
/// Checks of a window's construction as a user sees it: where a control stands, in which
/// frame, whether its caption fits and whether it covers another.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QWidget>
#include <vector>

#include "Widgets.h"

namespace testing_support {

/// A control's designed place in twips inside its container; a width of 0 marks a label that
/// sizes itself to its caption, whose size is then not checked.
struct Place {
  const char* name;
  const QWidget* control;
  const QWidget* container;
  int left, top, width, height;
};

inline void ExpectPlaces(const std::vector<Place>& places) {
  for (const Place& p : places) {
    SCOPED_TRACE(p.name);
    EXPECT_EQ(p.control->parentWidget(), p.container);
    EXPECT_EQ(p.control->pos(), QPoint(ui::TwipsToPixels(p.left), ui::TwipsToPixels(p.top)));
    if (p.width > 0) {
      EXPECT_EQ(p.control->size(), QSize(ui::TwipsToPixels(p.width), ui::TwipsToPixels(p.height)));
    }
  }
}

/// Every caption of a button or label is whole, and every control lies inside its container.
inline void ExpectCaptionsFit(const QWidget* window) {
  for (const QWidget* control : window->findChildren<QWidget*>()) {
    int needed = 0;
    QString caption;
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
      caption = button->text();
      needed = button->fontMetrics().horizontalAdvance(caption) + 8;  // the frame and a margin
    } else if (const auto* other = qobject_cast<const QAbstractButton*>(control)) {
      caption = other->text();
      needed = other->sizeHint().width();  // check box or option button: mark, gap, caption
    } else if (const auto* label = qobject_cast<const QLabel*>(control)) {
      caption = label->text();
      needed = label->sizeHint().width();
    } else {
      continue;
    }
    EXPECT_LE(needed, control->width()) << caption.toStdString() << " is clipped";
    EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry()))
        << caption.toStdString() << " lies outside its container";
  }
}

/// No two controls a user can see in one container cover each other: a swapped or mistyped
/// coordinate that the table of places does not sample still lands on a neighbour.
inline void ExpectNoOverlaps(const QWidget* window) {
  std::vector<const QWidget*> containers{window};
  for (const QWidget* control : window->findChildren<QWidget*>()) containers.push_back(control);
  for (const QWidget* container : containers) {
    std::vector<const QWidget*> shown;
    for (const QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      // Unnamed and qt_ children are the insides of a composite control, not controls.
      const QString name = child->objectName();
      if (child->isHidden() || child->isWindow() || name.isEmpty() || name.startsWith("qt_"))
        continue;
      shown.push_back(child);
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
      for (std::size_t j = i + 1; j < shown.size(); ++j) {
        // The designed form lets neighbours share a one-pixel edge (Read over Log, Zncode
        // beside Request); more than that hides part of a control.
        const QRect both = shown[i]->geometry().intersected(shown[j]->geometry());
        EXPECT_TRUE(both.width() <= 1 || both.height() <= 1)
            << shown[i]->objectName().toStdString() << " covers "
            << shown[j]->objectName().toStdString();
      }
    }
  }
}

}  // namespace testing_support
