// The main window's List Read button: a fresh modal list window over the loaded tag names.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "ConnectionTable.h"
#include "FakeHost.h"
#include "FakeZnApi.h"
#include "TextDragList.h"
#include "Widgets.h"
#include "frmListRead.h"
#include "frmTestConnection.h"

namespace {

QStringList Texts(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out.append(list->item(i)->text());
  return out;
}

class ListReadButton : public ::testing::Test {
 protected:
  ListReadButton() {
    api.server("").tags["Beta"] = "7";
    for (const char* name : {"beta", "Alpha", "Gamma"}) ui::AddSorted(main.cboTagNames[0], name);
    main.cboTagNames[0]->setCurrentIndex(2);
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

TEST_F(ListReadButton, OpensAModalWindowOverTheMainWindowWithItsTagNames) {
  host.pointers.clear();
  const bool opened = OpenListWindow([&](frmListRead& form) {
    EXPECT_TRUE(form.isModal());
    EXPECT_EQ(form.parentWidget(), &main);
    EXPECT_EQ(form.ConnectionHandle, 0);
    EXPECT_EQ(form.focusWidget(), form.lstTagNames);
    EXPECT_EQ(Texts(form.lstAvailable), (QStringList{"Alpha", "beta", "Gamma"}));
    EXPECT_EQ(form.lblCount[0]->text(), "Count: 3");
    EXPECT_EQ(form.lblCount[1]->text(), "Count: 0");
    EXPECT_EQ(host.pointers, (std::vector<int>{ui::kPointerHourglass, ui::kPointerDefault}));
  });
  EXPECT_TRUE(opened);
  EXPECT_EQ(main.cboTagNames[0]->currentIndex(), 2);
  EXPECT_EQ(main.cboTagNames[0]->currentText(), "Gamma");
}

TEST_F(ListReadButton, ReportsOnTheMainWindowsStatusLine) {
  const bool opened = OpenListWindow([&](frmListRead& form) {
    form.lstAvailable->item(1)->setSelected(true);
    form.cmdSelect[0]->click();
    form.cmdRead->click();
    EXPECT_EQ(Texts(form.lstTagValues), (QStringList{"TAG READ FAILED: 'beta'"}));
  });
  ASSERT_TRUE(opened);
  EXPECT_EQ(main.lblStatus->text(), "Status: Reading the list takes about 1 second from 'LOCAL'.");
}

TEST_F(ListReadButton, EveryOpeningStartsAfreshFromTheMainWindowsNames) {
  ASSERT_TRUE(OpenListWindow([](frmListRead& form) {
    form.cmdSelect[1]->click();
    form.lstTagValues->addItem("typed");
  }));
  ASSERT_TRUE(OpenListWindow([](frmListRead& form) {
    EXPECT_EQ(Texts(form.lstAvailable), (QStringList{"Alpha", "beta", "Gamma"}));
    EXPECT_EQ(form.lstTagNames->count(), 0);
    EXPECT_EQ(form.lstTagValues->count(), 0);
  }));
}

TEST_F(ListReadButton, DoesNothingWhileAnotherHandlerIsBusy) {
  frmTestConnection::BusyScope busy(main);
  host.pointers.clear();
  EXPECT_FALSE(OpenListWindow([](frmListRead&) {}));
  EXPECT_TRUE(host.pointers.empty());
}

}  // namespace
