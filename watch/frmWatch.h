#pragma once
/// The Watch window: a list of tags read together at an interval, each row showing its value,
/// when and how often it changed, its range and the server that answered; recorded to CSV on
/// request. Non-modal, any number of them. The polling, change detection and recording are the
/// widget-free ones zncheck uses (logic/WatchCycle.h, WatchedTags.h, WatchRecorder.h).
///
/// A cycle runs on the window's thread, as every other library call of the program does: the
/// call is synchronous, the connection handles are shared with the main window and the Call
/// Log records on this thread. The next cycle is only scheduled once a cycle has returned, so
/// a slow server stretches the interval and never has two reads of one list in flight.
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "SaveAs.h"
#include "WatchCycle.h"
#include "WatchHistory.h"
#include "WatchRecorder.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;

namespace plot {
class frmTrendPlot;
}

namespace binding {
class basZNAPI;
}
namespace ui {
class Host;
}

namespace watch {

class WatchTableModel;

class frmWatch : public QMainWindow {
 public:
  /// `tagNames` are offered as the main window offers them; `tags` are watched from the
  /// start.
  frmWatch(binding::basZNAPI& module, ui::Host& host, const QStringList& tagNames,
           const QStringList& tags = {});
  ~frmWatch() override;

  // ---- Controls -------------------------------------------------------------------------
  QComboBox* cboTag = nullptr;  // a tag name, exactly as typed, or one of the loaded names
  QPushButton* cmdAdd = nullptr;
  QPushButton* cmdRemove = nullptr;       // the selected rows
  QDoubleSpinBox* spnInterval = nullptr;  // seconds between cycles
  QPushButton* cmdStart = nullptr;        // "Start" / "Pause"
  QPushButton* cmdRecord = nullptr;       // "Record..." / "Stop Recording"
  QPushButton* cmdPlot = nullptr;         // the selected rows, or all, plotted live
  QSpinBox* spnPlotMinutes = nullptr;     // how far back a live plot shows
  QTableView* grdTags = nullptr;
  QLabel* lblStatus = nullptr;

  /// Asks for a watch list to open; QFileDialog unless a test puts its own.
  std::function<std::optional<QString>()> ChooseWatchList;

  WatchTableModel& model() { return *model_; }
  bool running() const { return timer_.isActive() || inCycle_; }
  /// The file the recording writes; empty when not recording.
  QString RecordingFile() const;

  // ---- Handlers -------------------------------------------------------------------------
  void cmdAdd_Click();
  void cmdRemove_Click();
  void cmdStart_Click();
  void cmdRecord_Click();
  void cmdPlot_Click();
  void mnuOpen_Click();
  void mnuSave_Click();
  /// Adds tags not watched yet, in order; refuses them all when one cannot be sent.
  void AddTags(const QStringList& tags);
  /// Records from the next cycle on with `choice`; a file that cannot be written stops the
  /// recording then, with its reason in the status line.
  void StartRecording(const logic::RecordingChoice& choice);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls(const QStringList& tagNames);
  void SetTags(const QStringList& tags);
  void Start();
  void Pause();
  void RunCycle();
  void ShowCycle(const logic::WatchCycle& cycle, qint64 ms);
  void StopRecording(const QString& reason);

  binding::basZNAPI& module_;
  ui::Host& host_;
  WatchTableModel* model_ = nullptr;
  std::unique_ptr<logic::WatchPoll> poll_;
  std::unique_ptr<logic::WatchRecorder> recorder_;
  /// What the watch has seen of its tags since they were set; the live plots draw from it.
  std::shared_ptr<logic::WatchHistory> history_ =
      std::make_shared<logic::WatchHistory>(QStringList{});
  std::vector<QPointer<plot::frmTrendPlot>> plots_;
  QTimer timer_;
  bool inCycle_ = false;
  logic::WatchPoll::Clock::time_point cycleStarted_;
  QString recordingStopped_;  // why the last recording stopped by itself
  std::int64_t cycles_ = 0, gaps_ = 0;
  logic::SaveDialog saveList_;
};

}  // namespace watch
