// The list window's controls, built from their table of captions, places (twips) and tab
// order, and the wiring of every control event to its handler.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <utility>
#include <vector>

#include "TextDragList.h"
#include "Widgets.h"
#include "frmListRead.h"

namespace {

constexpr int kClientWidthTwips = 8235;
constexpr int kClientHeightTwips = 4275;

void SetUpList(QListWidget* list) {
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Every entry is one line of text: equal heights let the view skip measuring each of
  // tens of thousands of entries.
  list->setUniformItemSizes(true);
}

template <typename T>
T* Placed(T* control, int left, int top, int width, int height) {
  ui::PlaceTwips(control, left, top, width, height);
  return control;
}

QLabel* Label(QWidget* parent, const QString& caption, int l, int t, int w, int h, bool fits) {
  auto* label = Placed(new QLabel(caption, parent), l, t, w, h);
  if (fits) label->adjustSize();
  return label;
}

QPushButton* Button(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
  auto* button = Placed(new QPushButton(caption, parent), l, t, w, h);
  // In a dialog Enter would otherwise press a button while the user types a value.
  button->setAutoDefault(false);
  return button;
}

}  // namespace

void frmListRead::BuildControls() {
  setWindowTitle(QStringLiteral("ZNAPI ListRead"));
  setFont(ui::WindowFont());
  setFixedSize(ui::TwipsToPixels(kClientWidthTwips), ui::TwipsToPixels(kClientHeightTwips));

  Label3 = Label(this, QStringLiteral("Available Tags"), 120, 0, 1050, 195, true);
  Label1 = Label(this, QStringLiteral("Selected Tags"), 3120, 0, 1935, 255, false);
  Label2 = Label(this, QStringLiteral("Tag Values"), 5640, 0, 1575, 255, false);

  lstAvailable = Placed(new QListWidget(this), 120, 240, 2415, 2400);
  SetUpList(lstAvailable);
  static const std::array<std::pair<const char*, const char*>, 4> kSelect{{
      {">", "Add selected tags"},
      {">>", "Add all tags"},
      {"<", "Remove selected tags"},
      {"<<", "Remove all tags"},
  }};
  for (std::size_t i = 0; i < kSelect.size(); ++i) {
    cmdSelect[i] = Button(this, QString::fromLatin1(kSelect[i].first), 2640,
                          480 + 480 * static_cast<int>(i), 375, 375);
    cmdSelect[i]->setToolTip(QString::fromLatin1(kSelect[i].second));
  }
  lstTagNames = Placed(new listread::TextDragList(this), 3120, 240, 2415, 2400);
  SetUpList(lstTagNames);
  lstTagValues = Placed(new listread::TextDragList(this), 5640, 240, 2415, 2400);
  SetUpList(lstTagValues);
  lblCount[0] = Label(this, QStringLiteral("Count:"), 120, 2640, 465, 195, true);
  lblCount[1] = Label(this, QStringLiteral("Count:"), 3120, 2640, 465, 195, true);

  Frame1 = Placed(new QGroupBox(QStringLiteral("General"), this), 120, 2880, 5535, 975);
  optLists[0] =
      Placed(new QRadioButton(QStringLiteral("Available Tags"), Frame1), 960, 120, 1575, 255);
  optLists[1] =
      Placed(new QRadioButton(QStringLiteral("Selected Tags"), Frame1), 2520, 120, 1575, 255);
  optLists[2] =
      Placed(new QRadioButton(QStringLiteral("Tag Values"), Frame1), 4080, 120, 1335, 255);
  cmdClear = Button(Frame1, QStringLiteral("Clear"), 120, 480, 855, 375);
  txtValue = Placed(new QLineEdit(Frame1), 1080, 480, 2415, 375);
  cmdAdd = Button(Frame1, QStringLiteral("Add"), 3600, 480, 855, 375);
  cmdSetValue = Button(Frame1, QStringLiteral("Set"), 4560, 480, 855, 375);

  Frame2 = Placed(new QGroupBox(QStringLiteral("Commands"), this), 5760, 2880, 2295, 975);
  cmdRead = Button(Frame2, QStringLiteral("Read"), 240, 480, 855, 375);
  cmdWrite = Button(Frame2, QStringLiteral("Write"), 1200, 480, 855, 375);
  cmdExit = Button(this, QStringLiteral("Exit"), 7200, 3840, 855, 375);
  // Save... takes the free space left of Exit.
  cmdSave = Button(this, QStringLiteral("Save..."), 6240, 3840, 855, 375);
  cmdSave->setToolTip(
      QStringLiteral("Save the selected tags and their values as a CSV file (Ctrl+S)"));
  // Under the selected tags, right of their count, in the strip above the General frame.
  cmdWatch = Button(this, QStringLiteral("Watch"), 4680, 2625, 855, 255);
  cmdWatch->setObjectName(QStringLiteral("cmdWatch"));
  cmdWatch->setToolTip(QStringLiteral("Watch the selected tags in a window of their own"));
  cmdWatch->hide();

  // Each list is named by its heading, so screen readers and test robots can find it (a list
  // view takes no name from a label). The value box has no label of its own; the frame's
  // caption would name it "General".
  lstAvailable->setAccessibleName(Label3->text());
  lstTagNames->setAccessibleName(Label1->text());
  lstTagValues->setAccessibleName(Label2->text());
  txtValue->setAccessibleName(QStringLiteral("Value"));
  txtValue->setAccessibleDescription(
      QStringLiteral("The text that Add and Set put into the list chosen above"));

  // Keyboard focus order, by each control's tab place.
  std::vector<std::pair<int, QWidget*>> tabs{
      {0, lstTagNames},  {1, lstTagValues}, {2, cmdExit},      {6, lstAvailable},
      {7, cmdSelect[0]}, {8, cmdSelect[1]}, {9, cmdSelect[2]}, {10, cmdSelect[3]},
      {14, cmdClear},    {15, cmdAdd},      {16, txtValue},    {18, cmdWrite},
      {19, cmdRead},     {20, optLists[0]}, {21, optLists[1]}, {22, optLists[2]},
      {23, cmdSetValue}, {24, cmdSave},     {25, cmdWatch},
  };
  std::sort(tabs.begin(), tabs.end());
  for (std::size_t i = 1; i < tabs.size(); ++i) setTabOrder(tabs[i - 1].second, tabs[i].second);
  lstTagNames->setFocus();
}

void frmListRead::ConnectHandlers() {
  for (std::size_t i = 0; i < cmdSelect.size(); ++i)
    connect(cmdSelect[i], &QPushButton::clicked, this,
            [this, i] { cmdSelect_Click(static_cast<int>(i)); });
  // Toggled, not clicked: arrow keys move the choice too, and TargetList must follow it.
  for (std::size_t i = 0; i < optLists.size(); ++i)
    connect(optLists[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) optLists_Click(static_cast<int>(i));
    });
  connect(cmdAdd, &QPushButton::clicked, this, &frmListRead::cmdAdd_Click);
  connect(cmdSetValue, &QPushButton::clicked, this, &frmListRead::cmdSetValue_Click);
  connect(cmdClear, &QPushButton::clicked, this, &frmListRead::cmdClear_Click);
  connect(cmdRead, &QPushButton::clicked, this, &frmListRead::cmdRead_Click);
  connect(cmdWrite, &QPushButton::clicked, this, &frmListRead::cmdWrite_Click);
  connect(cmdExit, &QPushButton::clicked, this, &frmListRead::cmdExit_Click);
  connect(cmdWatch, &QPushButton::clicked, this, &frmListRead::cmdWatch_Click);
  connect(lstAvailable, &QListWidget::doubleClicked, this, &frmListRead::lstAvailable_DblClick);
  connect(lstTagNames, &QListWidget::doubleClicked, this, &frmListRead::lstTagNames_DblClick);
  connect(lstTagValues, &QListWidget::doubleClicked, this, &frmListRead::lstTagValues_DblClick);
  lstTagNames->onDrop = [this](const QMimeData* data) { lstTagNames_OLEDragDrop(data); };
  lstTagValues->onDrop = [this](const QMimeData* data) { lstTagValues_OLEDragDrop(data); };
  ConnectExportCommands();
}
