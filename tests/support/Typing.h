#pragma once
/// Typing into a window's boxes key by key, as a user does, accented letters included.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace testing_support {

/// Types `text` at the box's cursor. A character with no key of its own arrives as a key
/// event carrying the character, as an input method delivers it.
inline void TypeText(QWidget* box, const QString& text) {
  if (auto* combo = qobject_cast<QComboBox*>(box)) box = combo->lineEdit();
  for (const QChar c : text) {
    if (c.unicode() < 0x80)
      QTest::keyClick(box, static_cast<char>(c.unicode()));
    else
      QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

/// Replaces the box's text: select all, then type (or erase).
inline void ReplaceText(QWidget* box, const QString& text) {
  if (auto* combo = qobject_cast<QComboBox*>(box)) box = combo->lineEdit();
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  if (text.isEmpty())
    QTest::keyClick(box, Qt::Key_Backspace);
  else
    TypeText(box, text);
}

/// Picks `item` of a list box with the keys: Home, then Down until it is current.
inline void PickWithKeys(QComboBox* box, const QString& item) {
  QTest::keyClick(box, Qt::Key_Home);
  for (int i = 0; i < box->count() && box->currentText() != item; ++i)
    QTest::keyClick(box, Qt::Key_Down);
}

}  // namespace testing_support
