#pragma once
/// The main window: connection settings, single tag read and write, name list loading, the
/// request panel and its result pane, and the server clock. Its handlers live in one file per
/// concern (frmTestConnection_*.cpp); this header holds the controls and the window state.
#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "LocalDateTime.h"
#include "SaveAs.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class QCloseEvent;

namespace logic {
class PaneTable;
class TrendSamples;
struct TrendRequest;
struct TrendReply;
}  // namespace logic
namespace calllog {
class frmCallLog;
}
namespace plot {
class frmTrendPlot;
}
namespace watch {
class frmWatch;
}
namespace binding {
class basZNAPI;
class RecordCursor;
class CallLog;
}  // namespace binding
namespace ui {
class Host;
class ClickableLabel;
class FocusLineEdit;
class ProgressStrip;
class ResultPane;
class StatusLine;
}  // namespace ui

class frmTestConnection : public QWidget {
 public:
  /// `callLog` is the log that the library seam under `module` records into; without one the
  /// window offers no Call Log.
  frmTestConnection(binding::basZNAPI& module, ui::Host& host, binding::CallLog* callLog = nullptr,
                    QWidget* parent = nullptr);
  ~frmTestConnection() override;

  // ---- Controls, directly on the window -------------------------------------------------
  std::array<QGroupBox*, 3> Frame1{};  // 0 "ZNAPI Connection", 1 "Standby", 2 "Primary"
  ui::ProgressStrip* picProgress = nullptr;
  QGroupBox* Frame2 = nullptr;
  QGroupBox* Frame3 = nullptr;
  QLabel* lblRequestCount = nullptr;
  ui::ClickableLabel* lblSCADATime = nullptr;
  ui::StatusLine* lblStatus = nullptr;
  QPushButton* cmdExit = nullptr;
  QTimer* Timer1 = nullptr;

  // In "ZNAPI Connection"
  QCheckBox* chkEnableRedundant = nullptr;
  QCheckBox* chkTryPrimary = nullptr;
  QPushButton* cmdTestConnection = nullptr;
  QPushButton* cmdLoadZontraSchema = nullptr;
  // In "Primary" (index 0) and "Standby" (index 1)
  std::array<QLabel*, 2> Label1{};
  std::array<QLabel*, 2> Label2{};
  std::array<QLabel*, 2> Label3{};
  std::array<ui::FocusLineEdit*, 2> txtComputer{};
  std::array<ui::FocusLineEdit*, 2> txtUserID{};
  std::array<ui::FocusLineEdit*, 2> txtPassword{};

  // In "Tag Read/Write" and "Requests"
  std::array<QLabel*, 3> Label4{};
  std::array<QComboBox*, 3> cboTagNames{};
  std::array<QLabel*, 3> lblTotalTagCount{};
  QLabel* Label5 = nullptr;
  QLineEdit* txtValue = nullptr;
  QPushButton* cmdRead = nullptr;
  QPushButton* cmdWrite = nullptr;
  QPushButton* cmdListRead = nullptr;
  QPushButton* cmdCallLog = nullptr;  // "Log": the Call Log window, as F12 opens it
  QPushButton* cmdWatch = nullptr;    // a new Watch window

  // In "Requests"
  QLabel* lblOthers = nullptr;
  QLineEdit* txtOthers = nullptr;
  std::array<QLabel*, 2> lblDateTime{};
  QLineEdit* txtEndDateTime = nullptr;
  QLineEdit* txtDuration = nullptr;
  QComboBox* cboUnits = nullptr;
  QLabel* lblSamplePeriod = nullptr;
  QLineEdit* txtSamplePeriod = nullptr;
  std::array<QRadioButton*, 5> optRead{};
  QPushButton* cmdReadAlarmTrend = nullptr;
  QPushButton* cmdCancelRead = nullptr;
  ui::ResultPane* txtRequestedData = nullptr;
  QPushButton* cmdPlot = nullptr;         // enabled once a trend request wrote a sample
  QPushButton* cmdSaveResults = nullptr;  // "Save...": the result pane as CSV

  // ---- Window state -------------------------------------------------------------------
  std::int16_t CancelRequested = 0;
  std::int16_t RequestKind = 0;
  QString RequestStartText;
  QString RequestEndText;
  std::int16_t LastStatusSlot = 0;

  // ---- Handlers (frmTestConnection.cpp: window, load, unload, exit, cancel, progress) ----
  void Form_Load();
  void Form_Unload();
  void cmdExit_Click();
  void cmdCancelRead_Click();
  void ShowProgress(std::int32_t position, float unitWidth, const QString& caption);

  // frmTestConnection_Connection.cpp
  void LoadConnectionSettings();
  void chkEnableRedundant_Click();
  void chkTryPrimary_Click();
  void cmdTestConnection_Click();
  void txtComputer_Change(int index);
  void txtUserID_Change(int index);
  void txtPassword_Change(int index);
  void txtComputer_GotFocus(int index);
  void txtUserID_GotFocus(int index);
  void txtPassword_GotFocus(int index);
  /// The computer, user and password texts of the slots in use: what GetConnection may open
  /// with. Nothing may be opened while they hold text the library cannot carry.
  QStringList ConnectionTexts() const;

  // frmTestConnection_Clock.cpp
  void lblSCADATime_Click();
  void Timer1_Timer();

  // frmTestConnection_NameLists.cpp
  void cmdLoadZontraSchema_Click();
  void LoadNameList(std::int16_t listIndex, std::int32_t handle);

  // frmTestConnection_TagReadWrite.cpp
  void cmdRead_Click();
  void cmdWrite_Click();

  // frmTestConnection_Requests.cpp and frmTestConnection_Queries.cpp
  void optRead_Click(std::int16_t index);
  void cmdReadAlarmTrend_Click();
  bool ValidateTimeRange();
  /// The sample count the trend inputs ask for. When an input is wrong it shows the box that
  /// names it ("No trend is selected!" or "Incorrect sample period entry!") and gives nothing.
  std::optional<std::int32_t> CheckTrendRequest();
  /// The loop of the record queries: from the current record of `find` on, `writeRow` puts
  /// each record's row (CR LF included) into the pane's table, where a row has been begun.
  /// Events run once a frame; the walk ends at the last record, at a close, or when `stop`
  /// says so.
  void ShowRecords(binding::RecordCursor& find, QLabel* countLabel,
                   const std::function<void()>& writeRow, const std::function<bool()>& stop = {});
  void QueryActiveAlarms(std::int32_t handle);
  void QueryAlarmSummary(std::int32_t handle);
  void QueryTrend(std::int32_t handle);
  void QueryDevice(std::int32_t handle, const QString& deviceName);

  // frmTestConnection_ListRead.cpp
  void cmdListRead_Click();

  // frmTestConnection_CallLog.cpp: every library call of both windows, and why one failed
  void cmdCallLog_Click();
  /// Shows the Call Log over `opener`, this window or the list window.
  void ShowCallLog(QWidget* opener);
  /// Lets F12 in `window` (the list window) show the Call Log.
  void OfferCallLog(QWidget* window);
  calllog::frmCallLog* CallLogWindow() const { return callLogWindow_.get(); }

  // frmTestConnection_Watch.cpp: Watch windows, any number, from here and the list window
  void cmdWatch_Click();
  /// A new Watch window watching `tags`, offering the loaded tag names.
  watch::frmWatch* OpenWatch(const QStringList& tags);

  // frmTestConnection_Plot.cpp: the samples a trend request keeps, and the plot window
  void cmdPlot_Click();
  /// Starts keeping the samples of a trend request; Plot waits for its end.
  std::shared_ptr<logic::TrendSamples> BeginTrendSamples(std::int32_t sampleCount);
  /// The samples of the last trend request; null before the first.
  std::shared_ptr<const logic::TrendSamples> LastTrendSamples() const { return lastTrend_; }
  /// Ends keeping them, however the request ended: Plot is enabled if it kept any.
  void EndTrendSamples();
  plot::frmTrendPlot* PlotWindow() const;

  // frmTestConnection_Results.cpp: the result pane saved and copied as a table
  void cmdSaveResults_Click();
  /// Copies the pane's rows that the selection touches, or all of them with their header
  /// when nothing is selected, as tab-separated text; a selection within one line as it is.
  void CopyResults();
  /// Starts keeping the rows of a request that begins to write the pane, values named by
  /// `columns`; Save... and copy take their cells from it.
  logic::PaneTable& ResetPaneTable(QStringList columns = {});
  /// The name the save dialog proposes for the request that fills the pane and, when its file
  /// has a layout other than the pane's columns, that layout.
  struct PaneFile {
    QString name;
    std::function<QStringList()> header;  // asked at the save: a trend's unit is found then
    std::function<QStringList(const QStringList& values)> row;
  };
  void SetPaneFile(PaneFile file) { paneFile_ = std::move(file); }

  // ---- Shared by the handlers ---------------------------------------------------------
  binding::basZNAPI& module() { return module_; }
  ui::Host& host() { return host_; }
  /// Computer(CurrentSlot), or "LOCAL" when that text is empty.
  QString ServerName() const;
  /// Reports an error that the library raised (library or entry point missing) with a
  /// critical box titled "Error".
  void ReportLibraryError(const std::exception& error);
  /// Which results of GetConnection a handler takes as a connection: some any result other
  /// than 0, others only one greater than 0.
  enum class ConnectionTest { NonZero, Positive };
  /// The opening of every handler that asks the server something: the hourglass, then
  /// GetConnection. Connection texts the library cannot carry are refused with a box before
  /// anything else; a handle that fails `test` puts the no-connection text on the status
  /// line, and a library error is reported with ReportLibraryError, both leaving
  /// `pointerOnFailure` on the screen. All give nullopt, so the handler only has to return.
  std::optional<std::int32_t> OpenHandlerConnection(ConnectionTest test, int pointerOnFailure);

  /// True while a handler that lets events run is inside its loop. Buttons that talk to the
  /// server do nothing then, so a nested click cannot disturb the running loop.
  bool Busy() const { return busy_; }
  /// True once the user asked to close the window during a loop; the loop ends after the
  /// current item and the window closes when the handler returns.
  bool CloseRequested() const { return closeRequested_; }

  /// Marks the window busy for the lifetime of the scope; closes the window at the end of
  /// the outermost scope if a close was asked for meanwhile.
  class BusyScope {
   public:
    explicit BusyScope(frmTestConnection& w);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    frmTestConnection& w_;
    bool outer_;
  };

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();  // frmTestConnection_Controls.cpp
  void ConnectHandlers();
  void ConnectResultCommands();  // frmTestConnection_Results.cpp
  void ConnectCallLog();         // frmTestConnection_CallLog.cpp
  std::optional<QString> TrendUnits(const QString& trend);
  /// The plot window's update: `request` again, ending now, unless a request of this window
  /// is running.
  logic::TrendReply RepeatTrend(const logic::TrendRequest& request);

  binding::basZNAPI& module_;
  ui::Host& host_;
  bool busy_ = false;
  bool closeRequested_ = false;
  bool unloaded_ = false;
  bool tickRunning_ = false;
  logic::SaveDialog saveResults_;
  std::optional<PaneFile> paneFile_;
  ui::LocalDateTime requestStart_;  // of the request running or last run: names its file
  std::shared_ptr<logic::TrendSamples> lastTrend_;
  QHash<QString, QString> trendUnits_;  // found so far, by trend name
  QPointer<plot::frmTrendPlot> plotWindow_;
  binding::CallLog* callLog_ = nullptr;
  /// A window of its own, not this one's child: a child would be blocked with this window
  /// while the list window is shown modally.
  std::unique_ptr<calllog::frmCallLog> callLogWindow_;
  std::uint64_t statusCallMark_ = 0;  // the first call after the status line's last caption
  /// Windows of their own too, for the same reason; closed with this one, whose module they
  /// use.
  std::vector<QPointer<watch::frmWatch>> watchWindows_;
};
