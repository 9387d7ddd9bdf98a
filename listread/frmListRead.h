#pragma once
/// The list window: puts together a set of tags from the main window's tag names, reads all of
/// them in one list request, lets the engineer edit the values and writes them back. Its
/// handlers live in one file per concern (frmListRead_*.cpp).
#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

#include "SaveAs.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMimeData;
class QPushButton;
class QRadioButton;

namespace binding {
class basZNAPI;
}
namespace ui {
class Host;
}
namespace listread {
class TextDragList;
}

class frmListRead : public QDialog {
 public:
  /// `statusLabel` is the main window's status line, which receives the timing messages.
  frmListRead(binding::basZNAPI& module, ui::Host& host, QLabel* statusLabel,
              QWidget* parent = nullptr);
  ~frmListRead() override;

  // ---- Controls -------------------------------------------------------------------------
  QLabel* Label1 = nullptr;  // "Selected Tags"
  QLabel* Label2 = nullptr;  // "Tag Values"
  QLabel* Label3 = nullptr;  // "Available Tags"
  QListWidget* lstAvailable = nullptr;
  listread::TextDragList* lstTagNames = nullptr;
  listread::TextDragList* lstTagValues = nullptr;
  /// 0 ">", 1 ">>", 2 "<", 3 "<<"
  std::array<QPushButton*, 4> cmdSelect{};
  /// 0 under lstAvailable, 1 under lstTagNames
  std::array<QLabel*, 2> lblCount{};
  QGroupBox* Frame1 = nullptr;  // "General"
  /// 0 "Available Tags", 1 "Selected Tags", 2 "Tag Values"
  std::array<QRadioButton*, 3> optLists{};
  QPushButton* cmdClear = nullptr;
  QLineEdit* txtValue = nullptr;
  QPushButton* cmdAdd = nullptr;
  QPushButton* cmdSetValue = nullptr;
  QGroupBox* Frame2 = nullptr;  // "Commands"
  QPushButton* cmdRead = nullptr;
  QPushButton* cmdWrite = nullptr;
  QPushButton* cmdExit = nullptr;
  QPushButton* cmdSave = nullptr;   // "Save...": the selected tags and their values as CSV
  QPushButton* cmdWatch = nullptr;  // the selected tags in a Watch window; shown by OfferWatch

  // ---- Window state -------------------------------------------------------------------
  /// The handle of the last Read or Write; each of them asks the connection table afresh.
  std::int32_t ConnectionHandle = 0;
  /// The list the editor acts on: 0 lstAvailable, 1 lstTagNames, 2 lstTagValues.
  std::int16_t TargetList = 0;
  /// The connection texts that GetConnection may open with (the main window's boxes). Read and
  /// Write send nothing while they, or the tags and values, hold text the library cannot
  /// carry. Unset, only the lists are looked at.
  std::function<QStringList()> ConnectionTexts;
  std::function<void(const QStringList&)> WatchTags;  // set by OfferWatch

  // ---- Public members, called before the window is shown ----------------------------
  /// Stores the handle; there is no way to read it back through this member.
  void ZNAPIHandle(std::int32_t New_hZNAPI);
  /// Offers the box's names in lstAvailable (added to what is there) and leaves the box as it
  /// was.
  void FillTagNames(const QComboBox* tagNames);

  // ---- Handlers -------------------------------------------------------------------------
  // frmListRead.cpp
  void Form_Load();
  void Form_Unload();
  void cmdExit_Click();

  // frmListRead_Moves.cpp
  void cmdSelect_Click(int index);
  void lstAvailable_DblClick();
  void lstTagNames_DblClick();
  void lstTagValues_DblClick();

  // frmListRead_DragDrop.cpp
  void lstTagNames_OLEDragDrop(const QMimeData* data);
  void lstTagValues_OLEDragDrop(const QMimeData* data);

  // frmListRead_Editor.cpp
  void optLists_Click(int index);
  void cmdAdd_Click();
  void cmdSetValue_Click();
  void cmdClear_Click();

  // frmListRead_ReadWrite.cpp
  void cmdRead_Click();
  void cmdWrite_Click();

  // frmListRead_Export.cpp: the tags and their values saved and copied as a table
  void cmdSave_Click();
  void cmdWatch_Click();
  /// Shows the Watch button, which hands the selected tags to `watch`.
  void OfferWatch(std::function<void(const QStringList&)> watch);
  /// Copies the pairs of which either entry is selected, or every pair with the headings
  /// when nothing is selected, as tab-separated text.
  void CopyLists();

  /// The list box that TargetList names.
  QListWidget* TargetListBox() const;

  /// Every way of closing (Exit, close box, Escape) ends here.
  void done(int result) override;

 private:
  void BuildControls();  // frmListRead_Controls.cpp
  void ConnectHandlers();
  void ConnectExportCommands();  // frmListRead_Export.cpp
  void ShowCount(int index, int count);
  /// True when `texts` and the connection texts can go to the library; otherwise the box.
  bool Sendable(QStringList texts);
  void SetStatus(const QString& text);
  /// The computer the connection in use was opened with, or "LOCAL".
  QString ServerName() const;

  binding::basZNAPI& module_;
  ui::Host& host_;
  QLabel* statusLabel_ = nullptr;
  logic::SaveDialog saveLists_;
};
