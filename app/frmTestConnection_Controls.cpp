// The main window's controls, built from their table of captions, places (twips) and tab
// order, and the wiring of every control event to its handler.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "Widgets.h"
#include "WindowAccessibility.h"
#include "frmTestConnection.h"

namespace {

// The forms a computer name takes, and which of them sends the password in clear.
const char* const kComputerNameForms =
    "Empty: this computer. HOST, HOST:PORT or [IPv6]:PORT (port 20222 unless given): TLS to "
    "another computer, plain TCP to this one. tls://HOST: always TLS. plain://HOST: plain "
    "TCP, the password crosses the network in clear.";

constexpr int kClientWidthTwips = 9105;
constexpr int kClientHeightTwips = 9135;

// Builds controls and remembers their tab positions so the focus order can be set at the end.
class Builder {
 public:
  explicit Builder(QWidget* window) : window_(window) {}

  QGroupBox* frame(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    auto* f = new QGroupBox(caption, parent);
    ui::PlaceTwips(f, l, t, w, h);
    // Unnamed, a frame inside a frame is announced under the outer frame's caption.
    f->setAccessibleName(caption);
    return f;
  }
  QLabel* label(QWidget* parent, const QString& caption, int l, int t, int w, int h,
                bool fits = true) {
    auto* lbl = new QLabel(caption, parent);
    ui::PlaceTwips(lbl, l, t, w, h);
    if (fits) lbl->adjustSize();
    return lbl;
  }
  template <typename T>
  T* control(T* c, int l, int t, int w, int h, int tab) {
    ui::PlaceTwips(c, l, t, w, h);
    tabs_.push_back({tab, c});
    return c;
  }
  QPushButton* button(QWidget* parent, const QString& caption, int l, int t, int w, int h,
                      int tab) {
    return control(new QPushButton(caption, parent), l, t, w, h, tab);
  }
  QComboBox* nameBox(QWidget* parent, int l, int t, int w, int h, int tab) {
    auto* box = control(new QComboBox(parent), l, t, w, h, tab);
    box->setEditable(true);
    // The name is used exactly as typed: an editable box's default completer fills in the
    // rest of a loaded name and matches without regard to case, also on focus-out and Enter.
    // The drop-down list still offers every loaded name.
    box->setCompleter(nullptr);
    box->setInsertPolicy(QComboBox::NoInsert);  // typing never adds names; loading does
    box->setMaxVisibleItems(20);
    // Tens of thousands of names: plain strings cost far less to hold and to replace than one
    // item object per name.
    box->setModel(new QStringListModel(box));
    return box;
  }
  // Text boxes and combo boxes are named by their label, so screen readers and test robots
  // can find them, also when the label's caption changes ("Device Name:", "Func Name:"); the
  // frame they sit in tells the primary's from the standby's.
  static void nameAfter(QWidget* input, QLabel* label) {
    label->setBuddy(input);
    if (auto* frame = qobject_cast<QGroupBox*>(input->parentWidget()))
      input->setAccessibleDescription(frame->title());
  }
  void applyTabOrder() {
    std::stable_sort(tabs_.begin(), tabs_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabs_.size(); ++i)
      QWidget::setTabOrder(tabs_[i - 1].second, tabs_[i].second);
  }

 private:
  QWidget* window_;
  std::vector<std::pair<int, QWidget*>> tabs_;
};

// The window's own icon: a 16-colour screen with a plug, at 32 and 16 pixels.
QIcon WindowIcon() {
  QIcon icon;
  for (int size : {32, 16}) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const double u = size / 16.0;
    p.setPen(Qt::black);
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(QRectF(1 * u, 2 * u, 13 * u, 9 * u));
    p.setBrush(QColor(0, 128, 128));
    p.drawRect(QRectF(3 * u, 4 * u, 9 * u, 5 * u));
    p.setBrush(QColor(255, 255, 0));
    p.drawRect(QRectF(6 * u, 11 * u, 3 * u, 2 * u));
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(QRectF(3 * u, 13 * u, 9 * u, 2 * u));
    icon.addPixmap(pm);
  }
  return icon;
}

}  // namespace

void frmTestConnection::BuildControls() {
  ui::ExposeAsWindow(this);
  setWindowTitle(QStringLiteral("Test ZnAPI"));
  setWindowIcon(WindowIcon());
  setFont(ui::WindowFont());
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFixedSize(ui::TwipsToPixels(kClientWidthTwips), ui::TwipsToPixels(kClientHeightTwips));

  Builder b(this);

  // The connection frame and the two server frames inside it.
  Frame1[0] = b.frame(this, "ZNAPI Connection", 120, 0, 8895, 2295);
  Frame1[2] = b.frame(Frame1[0], "Primary", 120, 240, 4275, 1455);
  Frame1[1] = b.frame(Frame1[0], "Standby", 4560, 240, 4275, 1455);
  const std::array<int, 2> computerTab{0, 6}, userTab{1, 7}, passwordTab{2, 8};
  for (int i = 0; i < 2; ++i) {
    QGroupBox* f = Frame1[i == 0 ? 2 : 1];
    Label1[i] = b.label(f, "Computer Name:", 120, 293, 1185, 195);
    Label2[i] = b.label(f, "User ID:", 120, 653, 585, 195);
    Label3[i] = b.label(f, "Password:", 120, 1013, 735, 195);
    txtComputer[i] = b.control(new ui::FocusLineEdit(f), 1560, 240, 2535, 300, computerTab[i]);
    txtComputer[i]->setToolTip(kComputerNameForms);
    txtUserID[i] =
        b.control(new ui::FocusLineEdit("Engineer", f), 1560, 600, 2535, 300, userTab[i]);
    txtPassword[i] =
        b.control(new ui::FocusLineEdit("Marlow", f), 1560, 960, 2535, 300, passwordTab[i]);
    txtPassword[i]->setEchoMode(QLineEdit::Password);
    txtPassword[i]->setStyleSheet("lineedit-password-character: 42");  // '*'
    Builder::nameAfter(txtComputer[i], Label1[i]);
    Builder::nameAfter(txtUserID[i], Label2[i]);
    Builder::nameAfter(txtPassword[i], Label3[i]);
  }
  chkEnableRedundant =
      b.control(new QCheckBox("Enable Redundant", Frame1[0]), 120, 1800, 1815, 375, 3);
  chkTryPrimary =
      b.control(new QCheckBox("Always Try Primary First", Frame1[0]), 2040, 1800, 2175, 375, 51);
  chkTryPrimary->setVisible(false);
  cmdTestConnection = b.button(Frame1[0], "Connect", 4800, 1800, 1575, 375, 4);
  cmdLoadZontraSchema = b.button(Frame1[0], "Load Tags", 6960, 1800, 1575, 375, 5);

  picProgress = b.control(new ui::ProgressStrip(this), 120, 2280, 8895, 255, 27);
  picProgress->setVisible(false);

  // Single tag read and write.
  Frame2 = b.frame(this, "Tag Read/Write", 120, 2520, 8895, 1335);
  Label4[0] = b.label(Frame2, "Tag Name:", 120, 360, 795, 195);
  cboTagNames[0] = b.nameBox(Frame2, 1200, 360, 3015, 315, 9);
  lblTotalTagCount[0] = b.label(Frame2, "Count:", 120, 1080, 465, 195);
  Label5 = b.label(Frame2, "Value:", 120, 690, 975, 375, false);
  txtValue = b.control(new QLineEdit(Frame2), 1200, 720, 3015, 315, 10);
  cmdRead = b.button(Frame2, "Read", 4800, 360, 1575, 375, 11);
  cmdWrite = b.button(Frame2, "Write", 6960, 360, 1575, 375, 12);
  cmdListRead = b.button(Frame2, "List Read", 6960, 720, 1575, 375, 13);
  // The Call Log takes the free place under Read, beside List Read. The buttons that the
  // window's table of places lacks come after its tab stops (the last is 56), in the order
  // they stand.
  cmdCallLog = b.button(Frame2, "Log", 4800, 720, 975, 375, 57);
  cmdCallLog->setToolTip("Show every library call and why a call failed (F12)");
  // Watch takes the rest of that place, beside Log.
  cmdWatch = b.button(Frame2, "Watch", 5880, 720, 975, 375, 58);
  cmdWatch->setToolTip("Watch tags change at an interval, and record them");
  // The strip overlaps the frame's top edge by a pixel; kept below it, every step of the bar
  // would repaint the whole frame and its caption too.
  picProgress->raise();
  Builder::nameAfter(cboTagNames[0], Label4[0]);
  Builder::nameAfter(txtValue, Label5);

  // The request panel.
  Frame3 = b.frame(this, "Requests", 120, 3960, 8895, 4500);
  Label4[1] = b.label(Frame3, "Alarm Name:", 120, 240, 900, 195);
  cboTagNames[1] = b.nameBox(Frame3, 1200, 240, 3015, 315, 14);
  lblTotalTagCount[1] = b.label(Frame3, "Count:", 120, 600, 465, 195);
  Label4[2] = b.label(Frame3, "Trend Name:", 4680, 240, 930, 195);
  cboTagNames[2] = b.nameBox(Frame3, 5760, 240, 3015, 315, 15);
  lblTotalTagCount[2] = b.label(Frame3, "Count:", 4680, 600, 465, 195);
  lblOthers = b.label(Frame3, "Others:", 6000, 600, 510, 195);
  txtOthers = b.control(new QLineEdit(Frame3), 6840, 600, 1935, 285, 55);
  lblDateTime[0] = b.label(Frame3, "End Date Time:", 120, 1005, 1110, 195);
  txtEndDateTime = b.control(new QLineEdit("Now()", Frame3), 1320, 960, 2655, 285, 16);
  lblDateTime[1] = b.label(Frame3, "Duration:", 4200, 1005, 645, 195);
  txtDuration = b.control(new QLineEdit("10", Frame3), 4920, 960, 1095, 285, 17);
  cboUnits = b.control(new QComboBox(Frame3), 6000, 945, 1095, 315, 18);
  const std::array<std::pair<const char*, int>, 4> units{
      {{"Days", 86400}, {"Hours", 3600}, {"Minutes", 60}, {"Seconds", 1}}};
  for (const auto& [unit, seconds] : units) cboUnits->addItem(unit, seconds);
  lblSamplePeriod = b.label(Frame3, "Period:", 7200, 1005, 495, 195);
  txtSamplePeriod = b.control(new QLineEdit("2", Frame3), 7800, 960, 975, 285, 19);
  const std::array<const char*, 5> kinds{"Summary", "Trends", "Alarms", "Device", "Zncode"};
  const std::array<int, 5> kindLeft{120, 1320, 2520, 3720, 4920};
  // "Summary" needs more than the others' 975 twips in the Liberation fonts; it takes the gap
  // up to "Trends".
  const std::array<int, 5> kindWidth{1155, 975, 975, 975, 975};
  const std::array<int, 5> kindTab{20, 21, 22, 53, 54};
  for (int i = 0; i < 5; ++i)
    optRead[i] = b.control(new QRadioButton(kinds[i], Frame3), kindLeft[i], 1500, kindWidth[i], 255,
                           kindTab[i]);
  optRead[0]->setChecked(true);
  cmdReadAlarmTrend = b.button(Frame3, "Request", 5880, 1440, 1455, 375, 23);
  cmdCancelRead = b.button(Frame3, "Cancel Request", 7440, 1440, 1335, 375, 24);
  cmdCancelRead->setEnabled(false);
  // Plot and Save... take the free row above Request and Cancel Request.
  cmdPlot = b.button(Frame3, "Plot", 5880, 585, 1455, 330, 59);
  cmdPlot->setEnabled(false);
  cmdPlot->setToolTip("Plot the samples of the last trend request");
  cmdSaveResults = b.button(Frame3, "Save...", 7440, 585, 1335, 330, 60);
  cmdSaveResults->setToolTip("Save the requested data as a CSV file (Ctrl+S)");
  txtRequestedData = b.control(new ui::ResultPane(Frame3), 120, 1920, 8655, 2535, 36);
  for (int i = 1; i < 3; ++i) Builder::nameAfter(cboTagNames[i], Label4[i]);
  Builder::nameAfter(txtOthers, lblOthers);
  Builder::nameAfter(txtEndDateTime, lblDateTime[0]);
  Builder::nameAfter(txtDuration, lblDateTime[1]);
  cboUnits->setAccessibleName("Duration unit");
  Builder::nameAfter(txtSamplePeriod, lblSamplePeriod);
  txtRequestedData->setAccessibleName("Requested data");
  for (QWidget* hidden : std::initializer_list<QWidget*>{lblOthers, txtOthers, lblSamplePeriod,
                                                         txtSamplePeriod, lblTotalTagCount[0],
                                                         lblTotalTagCount[1], lblTotalTagCount[2]})
    hidden->setVisible(false);

  // Bottom line: request count, server clock, status, Exit.
  lblRequestCount = b.label(this, "Count:", 0, 8520, 465, 195);
  lblRequestCount->setVisible(false);
  lblSCADATime = new ui::ClickableLabel("Click me to show connected SCADA Time", this);
  ui::PlaceTwips(lblSCADATime, 6030, 8520, 2985, 195);
  lblSCADATime->adjustSize();
  lblSCADATime->setToolTip("Click to toggle the timer.");
  lblStatus = new ui::StatusLine("Status:", this);
  ui::PlaceTwips(lblStatus, 0, 8880, 495, 195);
  lblStatus->adjustSize();
  // At 7680 twips the button would end 30 twips beyond the client area; it ends where the
  // frames do.
  cmdExit = b.button(this, "Exit", 7560, 8760, 1455, 375, 25);

  Timer1 = new QTimer(this);
  Timer1->setInterval(1000);

  b.applyTabOrder();
  txtComputer[0]->setFocus();

  // Object names let tools and tests find controls by the names the handlers use.
  const auto name = [](QObject* o, const QString& n) { o->setObjectName(n); };
  for (int i = 0; i < 2; ++i) {
    name(txtComputer[i], QString("txtComputer(%1)").arg(i));
    name(txtUserID[i], QString("txtUserID(%1)").arg(i));
    name(txtPassword[i], QString("txtPassword(%1)").arg(i));
  }
  for (int i = 0; i < 3; ++i) {
    name(cboTagNames[i], QString("cboTagNames(%1)").arg(i));
    name(lblTotalTagCount[i], QString("lblTotalTagCount(%1)").arg(i));
  }
  for (int i = 0; i < 5; ++i) name(optRead[i], QString("optRead(%1)").arg(i));
  name(cmdTestConnection, "cmdTestConnection");
  name(cmdLoadZontraSchema, "cmdLoadZontraSchema");
  name(cmdRead, "cmdRead");
  name(cmdWrite, "cmdWrite");
  name(cmdListRead, "cmdListRead");
  name(cmdCallLog, "cmdCallLog");
  name(cmdWatch, "cmdWatch");
  name(cmdReadAlarmTrend, "cmdReadAlarmTrend");
  name(cmdCancelRead, "cmdCancelRead");
  name(cmdPlot, "cmdPlot");
  name(cmdSaveResults, "cmdSaveResults");
  name(cmdExit, "cmdExit");
  name(lblStatus, "lblStatus");
  name(lblSCADATime, "lblSCADATime");
  name(txtRequestedData, "txtRequestedData");
  name(txtValue, "txtValue");
  name(txtOthers, "txtOthers");
}

void frmTestConnection::ConnectHandlers() {
  connect(cmdExit, &QPushButton::clicked, this, &frmTestConnection::cmdExit_Click);
  connect(cmdCancelRead, &QPushButton::clicked, this, &frmTestConnection::cmdCancelRead_Click);
  // Check boxes run their handler whenever their value changes, also from code: clearing
  // "Enable Redundant" clears "Always Try Primary First" and that must reach the table.
  connect(chkEnableRedundant, &QCheckBox::toggled, this,
          &frmTestConnection::chkEnableRedundant_Click);
  connect(chkTryPrimary, &QCheckBox::toggled, this, &frmTestConnection::chkTryPrimary_Click);
  connect(cmdTestConnection, &QPushButton::clicked, this,
          &frmTestConnection::cmdTestConnection_Click);
  for (int i = 0; i < 2; ++i) {
    connect(txtComputer[i], &QLineEdit::textChanged, this, [this, i] { txtComputer_Change(i); });
    connect(txtUserID[i], &QLineEdit::textChanged, this, [this, i] { txtUserID_Change(i); });
    connect(txtPassword[i], &QLineEdit::textChanged, this, [this, i] { txtPassword_Change(i); });
    connect(txtComputer[i], &ui::FocusLineEdit::gotFocus, this,
            [this, i] { txtComputer_GotFocus(i); });
    connect(txtUserID[i], &ui::FocusLineEdit::gotFocus, this, [this, i] { txtUserID_GotFocus(i); });
    connect(txtPassword[i], &ui::FocusLineEdit::gotFocus, this,
            [this, i] { txtPassword_GotFocus(i); });
  }
  connect(lblSCADATime, &ui::ClickableLabel::clicked, this, &frmTestConnection::lblSCADATime_Click);
  connect(Timer1, &QTimer::timeout, this, &frmTestConnection::Timer1_Timer);
  connect(cmdLoadZontraSchema, &QPushButton::clicked, this,
          &frmTestConnection::cmdLoadZontraSchema_Click);
  connect(cmdRead, &QPushButton::clicked, this, &frmTestConnection::cmdRead_Click);
  connect(cmdWrite, &QPushButton::clicked, this, &frmTestConnection::cmdWrite_Click);
  connect(cmdListRead, &QPushButton::clicked, this, &frmTestConnection::cmdListRead_Click);
  for (int i = 0; i < 5; ++i)
    connect(optRead[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) optRead_Click(static_cast<std::int16_t>(i));
    });
  connect(cmdReadAlarmTrend, &QPushButton::clicked, this,
          &frmTestConnection::cmdReadAlarmTrend_Click);
  connect(cmdPlot, &QPushButton::clicked, this, &frmTestConnection::cmdPlot_Click);
  connect(cmdWatch, &QPushButton::clicked, this, &frmTestConnection::cmdWatch_Click);
  ConnectResultCommands();
  ConnectCallLog();
}
