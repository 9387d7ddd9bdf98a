// The selected tags and their values as a table: Save... writes them as CSV, Ctrl+C copies
// the selected pairs, or all of them, as tab-separated text.
#include <QApplication>
#include <QClipboard>
#include <QTemporaryDir>
#include <QTest>

#include "ListWindowFixture.h"

namespace listread_test {
namespace {

struct ListExport : ListWindow {
  ListExport() {
    Fill(window->lstTagNames, {"LIT101", "P101_Mode", "PIT301"});
    Fill(window->lstTagValues, {"3.5", "AUTO, local"});
  }
};

TEST_F(ListExport, SaveWritesEveryTagBesideItsValue) {
  QTemporaryDir dir;
  host.saveAnswers = {dir.filePath("values")};
  window->cmdSave->click();
  QFile file(dir.filePath("values.csv"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(),
            "\xEF\xBB\xBF"
            "Selected Tags,Tag Values\r\nLIT101,3.5\r\nP101_Mode,\"AUTO, local\"\r\nPIT301,\r\n");
  EXPECT_EQ(host.saveQuestions, QStringList{"Save Tag Values|tag-values.csv|CSV file (*.csv)"});
}

TEST_F(ListExport, CtrlCCopiesTheSelectedPairsOrAllOfThem) {
  window->show();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  const auto copy = [&](QWidget* from) {
    from->setFocus();
    QTest::keyClick(from, Qt::Key_C, Qt::ControlModifier);
    return QGuiApplication::clipboard()->text();
  };
  EXPECT_EQ(copy(window->lstTagNames),
            "Selected Tags\tTag Values\nLIT101\t3.5\nP101_Mode\tAUTO, local\nPIT301\t\n");
  Select(window->lstTagNames, {2});
  Select(window->lstTagValues, {0});
  EXPECT_EQ(copy(window->lstTagValues), "LIT101\t3.5\nPIT301\t\n");
  EXPECT_EQ(copy(window->cmdExit), "LIT101\t3.5\nPIT301\t\n") << "from anywhere in the window";
}

}  // namespace
}  // namespace listread_test
