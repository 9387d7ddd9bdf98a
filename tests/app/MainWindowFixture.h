#pragma once
// The main window over the scripted library and host, with short ways to read what it showed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "CallLog.h"
#include "FakeHost.h"
#include "FakeZnApi.h"
#include "QStringPrinting.h"
#include "RecordingZnApi.h"
#include "Typing.h"
#include "Widgets.h"
#include "basZNAPI.h"
#include "frmListRead.h"
#include "frmTestConnection.h"

namespace app_test {

using Strings = std::vector<std::string>;

using testing_support::PickWithKeys;
using testing_support::ReplaceText;

/// A click through the window system, which drops input to windows a modal one blocks.
inline void ClickThroughWindowSystem(QWidget* control) {
  QTest::mouseClick(control->window()->windowHandle(), Qt::LeftButton, {},
                    control->mapTo(control->window(), QPoint(8, 8)));
}

inline QStringList Items(const QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

const QString kMissingLibrary = "libznapi.so: cannot open shared object file";

class MainWindowTest : public ::testing::Test {
 protected:
  fake::FakeZnApi api;
  // Every call is recorded on its way to the library, as in the program.
  binding::CallLog callLog;
  binding::RecordingZnApi recorded{api, callLog};
  binding::basZNAPI module{recorded};
  fake::FakeHost host;
  frmTestConnection w{module, host, &callLog};
  fake::Server& local = api.server("");  // the local server answers unless told otherwise

  QString status() const { return w.lblStatus->text(); }
  QString pane() const { return w.txtRequestedData->text(); }
  /// What an earlier request left in the pane.
  void setPane(QStringView text) {
    w.txtRequestedData->table().Reset();
    w.txtRequestedData->table().Append(text);
    w.txtRequestedData->Refresh();
  }
  void request(int kind) {
    w.optRead[kind]->click();
    w.cmdReadAlarmTrend->click();
  }
  /// Fills in a trend request as a user does: the texts typed, the unit picked from its list
  /// with the keys. An empty trend or unit leaves that box as it is.
  void EnterTrendRequest(const QString& end, const QString& duration, const QString& period,
                         const QString& trend = {}, const QString& unit = {}) {
    ReplaceText(w.txtEndDateTime, end);
    ReplaceText(w.txtDuration, duration);
    if (!unit.isEmpty()) PickWithKeys(w.cboUnits, unit);
    ReplaceText(w.txtSamplePeriod, period);
    if (!trend.isEmpty()) ReplaceText(w.cboTagNames[2], trend);
  }
  /// Sets the library missing and returns the box every handler must show for it.
  QStringList missingLibrary() {
    api.missingLibrary = kMissingLibrary.toStdString();
    return {"Error|critical|" + kMissingLibrary};
  }
  /// Opens the list window, which holds this window modally, runs `inside` while it is shown
  /// and closes it again, also when a check inside failed.
  void WhileListWindowShown(const std::function<void(frmListRead&)>& inside) {
    bool shown = false;
    QTimer::singleShot(0, [&] {
      auto* list = dynamic_cast<frmListRead*>(QApplication::activeModalWidget());
      if (!list) return;
      shown = true;
      inside(*list);
      list->close();
    });
    w.cmdListRead->click();
    EXPECT_TRUE(shown) << "the list window was shown modally";
  }
};

}  // namespace app_test
