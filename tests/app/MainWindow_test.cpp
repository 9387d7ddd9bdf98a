// The main window as built: where its controls stand, in which frame, what they start as,
// whether their captions fit, how screen readers and the keyboard meet it; and the close path.
#include <QAccessible>
#include <QGroupBox>
#include <QListWidget>
#include <QRadioButton>

#include "MainWindowFixture.h"
#include "TextDragList.h"
#include "WindowLayout.h"
#include "frmCallLog.h"
#include "frmListRead.h"
#include "frmTrendPlot.h"

namespace app_test {
namespace {

using testing_support::Place;

TEST_F(MainWindowTest, ControlsStandWhereTheTableOfPlacesPutsThem) {
  const QWidget* window = &w;
  // The captions that fit and the controls that do not overlap are what the user sees; the
  // places checked are those a slip of an index or a frame would move. Two controls deviate so
  // that their captions fit the Liberation fonts: "Summary" is 1155 twips wide, not 975, and
  // Exit stands at 7560, not 7680.
  testing_support::ExpectPlaces({
      {"Frame1(2)", w.Frame1[2], w.Frame1[0], 120, 240, 4275, 1455},
      {"Frame1(1)", w.Frame1[1], w.Frame1[0], 4560, 240, 4275, 1455},
      {"txtComputer(0)", w.txtComputer[0], w.Frame1[2], 1560, 240, 2535, 300},
      {"txtUserID(1)", w.txtUserID[1], w.Frame1[1], 1560, 600, 2535, 300},
      {"optRead(0)", w.optRead[0], w.Frame3, 120, 1500, 1155, 255},
      {"txtRequestedData", w.txtRequestedData, w.Frame3, 120, 1920, 8655, 2535},
      {"cmdExit", w.cmdExit, window, 7560, 8760, 1455, 375},
  });
  testing_support::ExpectCaptionsFit(window);
  // Each kind of request shows its own boxes; none may land on another.
  for (QRadioButton* kind : w.optRead) {
    kind->click();
    testing_support::ExpectNoOverlaps(window);
  }
  EXPECT_EQ(w.size(), QSize(ui::TwipsToPixels(9105), ui::TwipsToPixels(9135)));
}

TEST_F(MainWindowTest, StartsWithEachServersBoxesInItsFrameAndPasswordsHidden) {
  for (int i = 0; i < 2; ++i) {
    const char* frame = i == 0 ? "Primary" : "Standby";
    for (QWidget* box :
         {static_cast<QWidget*>(w.txtComputer[i]), static_cast<QWidget*>(w.txtUserID[i]),
          static_cast<QWidget*>(w.txtPassword[i]), static_cast<QWidget*>(w.Label1[i])}) {
      const auto* group = qobject_cast<const QGroupBox*>(box->parentWidget());
      ASSERT_NE(group, nullptr);
      EXPECT_EQ(group->title(), frame) << box->objectName().toStdString();
      EXPECT_EQ(group->accessibleName(), frame) << "screen readers name the frame as shown";
    }
    EXPECT_EQ(w.txtPassword[i]->displayText(), "******");
    EXPECT_EQ(w.txtPassword[i]->text(), "Marlow");
  }
  EXPECT_TRUE(w.optRead[0]->isChecked());
  EXPECT_FALSE(w.cmdCancelRead->isEnabled());
  EXPECT_EQ(w.cboUnits->currentText(), "Minutes");
  for (const QWidget* hidden : std::initializer_list<const QWidget*>{
           w.chkTryPrimary, w.picProgress, w.lblRequestCount, w.lblTotalTagCount[0],
           w.lblTotalTagCount[1], w.lblTotalTagCount[2], w.lblOthers, w.txtOthers,
           w.lblSamplePeriod, w.txtSamplePeriod})
    EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
  EXPECT_FALSE(w.txtEndDateTime->isHidden());
}

TEST_F(MainWindowTest, TheListWindowSharesTheMainWindowsFontAndItsCaptionsFit) {
  frmListRead list(module, host, w.lblStatus, &w);
  list.OfferWatch([](const QStringList&) {});  // its Watch button shown, as the main window does
  EXPECT_EQ(list.font(), w.font());
  testing_support::ExpectCaptionsFit(&list);
  testing_support::ExpectNoOverlaps(&list);
}

TEST_F(MainWindowTest, ScreenReadersMeetEachWindowByItsTitleAndEachBoxByItsLabel) {
  const auto role = [](QObject* o) { return QAccessible::queryAccessibleInterface(o)->role(); };
  const auto name = [](QObject* o) {
    return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
  };
  frmListRead list(module, host, w.lblStatus, &w);
  plot::frmTrendPlot plot(host, {});
  calllog::frmCallLog log(callLog, host);
  const std::tuple<QWidget*, QAccessible::Role, const char*> windows[] = {
      {&w, QAccessible::Window, "Test ZnAPI"},
      {&list, QAccessible::Dialog, "ZNAPI ListRead"},
      {&plot, QAccessible::Window, "Trend Plot"},
      {&log, QAccessible::Window, "Call Log"},
  };
  for (const auto& [window, windowRole, title] : windows) {
    EXPECT_EQ(role(window), windowRole) << title;
    EXPECT_EQ(name(window), title);
  }

  // The Others box takes the caption its label shows for the chosen kind.
  w.optRead[3]->click();
  EXPECT_EQ(name(w.txtOthers), "Device Name:");
  w.optRead[4]->click();
  EXPECT_EQ(name(w.txtOthers), "Func Name:");
  EXPECT_EQ(name(w.txtComputer[1]), "Computer Name:");
  EXPECT_EQ(name(w.cboTagNames[2]), "Trend Name:");
  EXPECT_EQ(name(list.lstTagValues), "Tag Values");
  EXPECT_EQ(name(list.txtValue), "Value");
}

TEST_F(MainWindowTest, ButtonsBeyondTheTableOfPlacesComeAfterItsTabStopsInTheirOrder) {
  // The last of the table's tab stops is the Others box.
  QStringList after;
  for (QWidget* next = w.txtOthers->nextInFocusChain(); after.size() < 4;
       next = next->nextInFocusChain()) {
    if (next->focusPolicy() & Qt::TabFocus) after << next->objectName();
  }
  EXPECT_EQ(after, (QStringList{"cmdCallLog", "cmdWatch", "cmdPlot", "cmdSaveResults"}));
  QStringList before;
  for (QWidget* previous = w.txtOthers->previousInFocusChain(); before.size() < 2;
       previous = previous->previousInFocusChain()) {
    if (previous->focusPolicy() & Qt::TabFocus) before << previous->objectName();
  }
  EXPECT_EQ(before, (QStringList{"optRead(4)", "optRead(3)"}));
}

TEST_F(MainWindowTest, CloseDuringALoopWaitsForTheLoopToEnd) {
  w.cmdTestConnection->click();
  w.show();
  {
    frmTestConnection::BusyScope scope(w);
    w.cmdExit->click();  // a nested Exit while a loop runs
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(api.countOf("znClose"), 0) << "handles stay open while the loop uses them";
  }
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(api.countOf("znClose"), 1);
}

}  // namespace
}  // namespace app_test
