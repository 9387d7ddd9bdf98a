#pragma once
// The mouse on a chart view's viewport, as the user moves it.
#include <QApplication>
#include <QTest>
#include <QWheelEvent>

namespace plot_test {

/// Turns the wheel by `notches` (up is positive) with the pointer at `at`.
inline void Wheel(QWidget* viewport, QPoint at, int notches) {
  QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &wheel);
}

/// Presses `button` at `from`, moves to `to` and lets go there.
inline void Drag(QWidget* viewport, Qt::MouseButton button, QPoint from, QPoint to) {
  QTest::mousePress(viewport, button, {}, from);
  QTest::mouseMove(viewport, to);
  QTest::mouseRelease(viewport, button, {}, to);
}

}  // namespace plot_test
