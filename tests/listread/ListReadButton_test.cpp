// The main window's List Read button: a fresh modal list window over the loaded tag names.
#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <functional>

#include "ListWindowFixture.h"
#include "Widgets.h"
#include "frmTestConnection.h"

namespace listread_test {
namespace {

class ListReadButton : public ::testing::Test {
 protected:
  ListReadButton() {
    for (const char* name : {"beta", "Alpha", "Gamma"}) ui::AddSorted(main.cboTagNames[0], name);
    main.cboTagNames[0]->setCurrentIndex(2);
    main.cboTagNames[0]->setEditText("typed");
  }

  /// Clicks List Read and runs `inside` on the modal list window once it is open, closing it
  /// afterwards. Returns whether a list window opened at all.
  bool OpenListWindow(const std::function<void(frmListRead&)>& inside) {
    bool opened = false;
    // Owned here, so a window that never opens leaves no timer behind for later tests.
    QTimer probe;
    probe.setSingleShot(true);
    QObject::connect(&probe, &QTimer::timeout, [&] {
      auto* form = dynamic_cast<frmListRead*>(QApplication::activeModalWidget());
      if (!form) return;
      opened = true;
      inside(*form);
      form->cmdExit->click();
    });
    probe.start(0);
    main.cmdListRead->click();
    return opened;
  }

  fake::FakeZnApi api;
  server::basZNAPI module{api};
  fake::FakeHost host;
  frmTestConnection main{module, host};
};

TEST_F(ListReadButton, EveryOpeningIsAFreshModalWindowOverTheMainWindowsNames) {
  for (int opening = 0; opening < 2; ++opening) {
    SCOPED_TRACE(opening);
    host.pointers.clear();
    ASSERT_TRUE(OpenListWindow([&](frmListRead& form) {
      EXPECT_TRUE(form.isModal());
      EXPECT_EQ(form.parentWidget(), &main);
      EXPECT_EQ(form.ConnectionHandle, 0);
      EXPECT_EQ(form.focusWidget(), form.lstTagNames);
      EXPECT_EQ(Texts(form.lstAvailable), (QStringList{"Alpha", "beta", "Gamma"}));
      EXPECT_EQ(form.lblCount[0]->text(), "Count: 3");
      EXPECT_EQ(form.lblCount[1]->text(), "Count: 0");
      EXPECT_EQ(form.lstTagNames->count() + form.lstTagValues->count(), 0);
      EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
      form.cmdSelect[1]->click();  // what one opening does is gone at the next
      form.lstTagValues->addItem("typed");
    }));
    EXPECT_EQ(main.cboTagNames[0]->currentIndex(), 2) << "the box is left as it was";
    EXPECT_EQ(main.cboTagNames[0]->currentText(), "typed");
  }
}

TEST_F(ListReadButton, DoesNothingWhileAnotherHandlerIsBusy) {
  frmTestConnection::BusyScope busy(main);
  host.pointers.clear();
  EXPECT_FALSE(OpenListWindow([](frmListRead&) {}));
  EXPECT_TRUE(host.pointers.empty());
}

}  // namespace
}  // namespace listread_test
