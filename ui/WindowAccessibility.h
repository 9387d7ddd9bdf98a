#pragma once
/// How the windows present themselves to screen readers and test robots.

class QWidget;

namespace ui {

/// Makes `window`, a top-level window built on a plain QWidget, known to the accessibility
/// bus as a window named by its title. Qt presents such a widget as a filler, a piece of some
/// other window, which a screen reader does not announce when it opens.
void ExposeAsWindow(QWidget* window);

}  // namespace ui
