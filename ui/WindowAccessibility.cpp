#include "WindowAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace ui {

namespace {

// Marks the windows that asked for it; other plain widgets keep Qt's own presentation.
constexpr const char* kExposedAsWindow = "zn.exposedAsWindow";

QAccessibleInterface* WindowInterface(const QString& className, QObject* object) {
  if (className != QLatin1String("QWidget") || !object->property(kExposedAsWindow).toBool())
    return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

}  // namespace

void ExposeAsWindow(QWidget* window) {
  static const bool installed = [] {
    QAccessible::installFactory(WindowInterface);
    return true;
  }();
  (void)installed;
  window->setProperty(kExposedAsWindow, true);
}

}  // namespace ui
