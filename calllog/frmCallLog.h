#pragma once
/// The Call Log window: every library call of both windows with its arguments, result,
/// returned text, duration and reason, filtered by operation or to the failures, copied as
/// tab-separated text and saved as CSV. It opens at the newest call and follows the log while
/// calls run. A window of its own, it takes input while the list window holds the main window.
#include <QWidget>

#include "SaveAs.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;

namespace binding {
class CallLog;
}
namespace ui {
class Host;
}

namespace calllog {

class CallLogModel;

class frmCallLog : public QWidget {
 public:
  /// How often the table catches up with the log while the window is shown, in ms: often
  /// enough to watch calls run, rarely enough to cost a loop nothing.
  static constexpr int kRefreshMs = 250;

  frmCallLog(binding::CallLog& log, ui::Host& host, QWidget* parent = nullptr);

  QComboBox* cboOperation = nullptr;  // "All operations", then each operation
  QCheckBox* chkFailuresOnly = nullptr;
  QLabel* lblCount = nullptr;
  QPushButton* cmdCopy = nullptr;
  QPushButton* cmdSave = nullptr;
  QPushButton* cmdClear = nullptr;
  QTableView* grdCalls = nullptr;
  CallLogModel* model = nullptr;

  void FilterChanged();
  /// Copies the selected rows as tab-separated text.
  void cmdCopy_Click();
  /// Saves every row the table shows as a CSV file with a header row.
  void cmdSave_Click();
  /// Forgets every call recorded so far.
  void cmdClear_Click();
  /// Catches the table up with the log; the newest row stays in sight unless the user
  /// scrolled away from it.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ShowCount();

  binding::CallLog& log_;
  ui::Host& host_;
  QTimer* refreshTimer_ = nullptr;
  logic::SaveDialog saveDialog_;
};

}  // namespace calllog
