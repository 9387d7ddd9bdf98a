// Text the library cannot carry: every box whose text goes to the library refuses it before
// any call is made, with a box that names the characters.
#include "MainWindowFixture.h"

namespace app_test {
namespace {

const QString kRefusal = QStringLiteral(
    "TestZnAPI|info|№ (U+2116) cannot be sent: the library carries Windows-1252 text");

using Unsendable = MainWindowTest;

TEST_F(Unsendable, EveryBoxThatFeedsTheLibraryRefusesBeforeAnyCall) {
  struct Case {
    const char* box;
    int kind;  // the request kind to choose first; -1 for none
    QWidget* input;
    QString typed;
    QPushButton* press;
  };
  ReplaceText(w.cboTagNames[0], "PLANT_Message");
  const Case cases[] = {
      {"value, Write", -1, w.txtValue, QStringLiteral("Café crème №5 €"), w.cmdWrite},
      {"tag, Read", -1, w.cboTagNames[0], QStringLiteral("№5"), w.cmdRead},
      {"trend name", 1, w.cboTagNames[2], QStringLiteral("Trend№"), w.cmdReadAlarmTrend},
      {"device name", 3, w.txtOthers, QStringLiteral("Pumps№"), w.cmdReadAlarmTrend},
      {"Zncode", 4, w.txtOthers, QStringLiteral("TagRead(\"№\")"), w.cmdReadAlarmTrend},
      {"password, Connect", -1, w.txtPassword[0], QStringLiteral("Marlow№"), w.cmdTestConnection},
      {"user, Read", -1, w.txtUserID[0], QStringLiteral("Eng№"), w.cmdRead},
      {"computer, Load Tags", -1, w.txtComputer[0], QStringLiteral("plant№"),
       w.cmdLoadZontraSchema},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    if (c.kind >= 0) w.optRead[c.kind]->click();
    const auto* line = qobject_cast<QLineEdit*>(c.input);
    const QString before = line ? line->text() : w.cboTagNames[0]->currentText();
    ReplaceText(c.input, c.typed);
    host.boxes.clear();
    api.calls.clear();
    c.press->click();
    EXPECT_EQ(host.shownBoxes(), QStringList{kRefusal});
    EXPECT_TRUE(api.calls.empty());
    ReplaceText(c.input, before);
  }
  EXPECT_EQ(status(), "Status:");
  EXPECT_EQ(host.pointer, ui::kPointerDefault);
}

TEST_F(Unsendable, TextThatComesBackWithAQuestionMarkIsShownAsItIs) {
  local.tags["PLANT_Message"] = "Caf\xE9 cr\xE8me ?5 \x80";  // Windows-1252, '?' included
  ReplaceText(w.cboTagNames[0], "PLANT_Message");
  w.cmdRead->click();
  EXPECT_EQ(w.txtValue->text(), QStringLiteral("Café crème ?5 €"));
  w.cmdWrite->click();
  EXPECT_TRUE(host.boxes.empty()) << "a '?' is a character like any other";
  EXPECT_EQ(status(), "Status: Writing to PLANT_Message is successful to 'LOCAL'.");
}

}  // namespace
}  // namespace app_test
