#pragma once
// Texts of controls from the string table, and the numbers controls are known by.

#include <QString>

#include "core/text/Language.h"

class QWidget;

namespace qx7::gui {

// SetCtrlText results besides 0.
inline constexpr int kNoStringEntry = -100;
inline constexpr int kNoControl = -101;

// The entry's text in the language; an empty string when the table has no such entry.
QString LocalText(LanguageId language, int number);
// The entry's text, or `fallback` when the table has no such entry.
QString LocalText(LanguageId language, int number, const QString& fallback);

// Puts entry `number` into the widget as its visible text (label, button, group box title,
// edit content, window title) and its accessible name. A label passes its text on as the
// accessible name of its buddy. 0; -100 when the entry is missing (the widget keeps its
// placeholder); -101 when no widget is given.
int SetCtrlText(QWidget* widget, int number, LanguageId language);

// Sets the widget's visible text as SetCtrlText does, for texts that are not table entries
// (version lines, file names).
void SetWidgetText(QWidget* widget, const QString& text);

// The number a control has in the dialog layouts becomes its object name ("1009").
void SetControlNumber(QWidget* widget, int number);
// Forms made in Designer cannot use bare numbers as object names (they become C++ member
// names); name the controls "c1009" there and call this after setupUi to rename every such
// child of root to "1009".
void AdoptControlNumbers(QWidget* root);
// The child of root whose object name is the number; nullptr when there is none.
QWidget* FindControl(const QWidget* root, int number);

// The text without its '&' mnemonic markers ("&&" stays one '&').
QString WithoutMnemonics(const QString& text);

// The character a text underlines, upper case ("&Next >" gives "N"); "" when it has none.
QString MnemonicOf(const QString& text);

// Underlines a letter (Alt+letter) in the text of every push button, radio button and check
// box under root that has none yet, in tab order: the first free letter starting a word, else
// any free letter of the text. A letter is free when no other control under root, nor
// `taken` (the sheet's own buttons), uses it. Texts without a Latin letter (Japanese) are
// left as they are. The words and the accessible names do not change.
void AssignMnemonics(QWidget* root, const QString& taken = {});

}  // namespace qx7::gui
