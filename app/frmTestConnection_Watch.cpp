// Watch: any number of Watch windows, from the Watch button with no tags and from the list
// window's Selected Tags with those.
#include <QComboBox>
#include <QPushButton>

#include "frmTestConnection.h"
#include "frmWatch.h"

void frmTestConnection::cmdWatch_Click() {
  OpenWatch({});
}

watch::frmWatch* frmTestConnection::OpenWatch(const QStringList& tags) {
  QStringList names;
  names.reserve(cboTagNames[0]->count());
  for (int i = 0; i < cboTagNames[0]->count(); ++i) names << cboTagNames[0]->itemText(i);
  // Owned by none, like the Call Log, so that the list window, modal to this one, leaves it
  // usable; this window deletes the ones still open as it goes.
  auto* window = new watch::frmWatch(module(), host(), names, tags);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setAttribute(Qt::WA_QuitOnClose, false);
  OfferCallLog(window);
  std::erase_if(watchWindows_, [](const QPointer<watch::frmWatch>& w) { return w.isNull(); });
  watchWindows_.emplace_back(window);
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}
