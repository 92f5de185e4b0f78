#include "gui/app/ControlText.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QWidget>
#include <string>

#include "core/text/StringTable.h"

namespace qx7::gui {
namespace {

// Table texts carry no mnemonics; a literal '&' must not underline the next letter.
QString EscapeMnemonics(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return escaped;
}

bool IsAsciiLetter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// Only texts in Latin letters get an underlined letter: a Japanese text would need a letter
// of its own in brackets, which changes what the control says.
bool TakesMnemonic(const QString& text) {
    bool latin = false;
    for (const QChar c : text) {
        if (!c.isLetter()) {
            continue;
        }
        if (c.script() != QChar::Script_Latin) {
            return false;
        }
        latin = latin || IsAsciiLetter(c);
    }
    return latin;
}

// The position in the (escaped) text of the letter to underline; -1 when every letter is taken.
qsizetype MnemonicPosition(const QString& text, const QString& taken) {
    qsizetype anyFree = -1;
    bool wordStart = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('&')) {
            ++i;  // "&&", a literal '&'
            wordStart = true;
            continue;
        }
        const bool free = IsAsciiLetter(c) && !taken.contains(c.toUpper());
        if (free && wordStart) {
            return i;
        }
        if (free && anyFree < 0) {
            anyFree = i;
        }
        wordStart = !c.isLetterOrNumber();
    }
    return anyFree;
}

// The controls that take a mnemonic, in tab order (then any that take no Tab).
QList<QAbstractButton*> MnemonicControls(QWidget* root) {
    QList<QAbstractButton*> found;
    for (QWidget* w = root->nextInFocusChain(); w != nullptr && w != root;
         w = w->nextInFocusChain()) {
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (button != nullptr && root->isAncestorOf(w) && !found.contains(button)) {
            found.append(button);
        }
    }
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (!found.contains(button)) {
            found.append(button);
        }
    }
    found.removeIf([](QAbstractButton* button) {
        return qobject_cast<QPushButton*>(button) == nullptr &&
               qobject_cast<QRadioButton*>(button) == nullptr &&
               qobject_cast<QCheckBox*>(button) == nullptr;
    });
    return found;
}

void SetEditText(QWidget* edit, const QString& text, bool readOnly) {
    // An edit's accessible name is its label's, set through the label's buddy; a read-only
    // field without a label is named by what it shows.
    if (readOnly && edit->accessibleName().isEmpty()) {
        edit->setAccessibleName(text);
    }
}

}  // namespace

QString LocalText(LanguageId language, int number) {
    return LocalText(language, number, {});
}

QString LocalText(LanguageId language, int number, const QString& fallback) {
    std::string text;
    if (LoadLocalString(language, number, text) != 0) {
        return fallback;
    }
    return QString::fromStdString(text);
}

int SetCtrlText(QWidget* widget, int number, LanguageId language) {
    if (widget == nullptr) {
        return kNoControl;
    }
    std::string text;
    const int result = LoadLocalString(language, number, text);
    if (result != 0) {
        return kNoStringEntry;
    }
    SetWidgetText(widget, QString::fromStdString(text));
    return 0;
}

void SetWidgetText(QWidget* widget, const QString& text) {
    if (widget == nullptr) {
        return;
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setTextFormat(Qt::PlainText);
        QWidget* buddy = label->buddy();
        label->setText(buddy != nullptr ? EscapeMnemonics(text) : text);
        label->setAccessibleName(text);
        if (buddy != nullptr) {
            buddy->setAccessibleName(text);
        }
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(EscapeMnemonics(text));
        button->setAccessibleName(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(EscapeMnemonics(text));
        group->setAccessibleName(text);
    } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(text);
        SetEditText(line, text, line->isReadOnly());
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        plain->setPlainText(text);
        SetEditText(plain, text, plain->isReadOnly());
    } else if (auto* rich = qobject_cast<QTextEdit*>(widget)) {
        rich->setPlainText(text);
        SetEditText(rich, text, rich->isReadOnly());
    } else if (widget->isWindow()) {
        widget->setWindowTitle(text);
    } else {
        widget->setAccessibleName(text);
    }
}

void SetControlNumber(QWidget* widget, int number) {
    if (widget != nullptr) {
        widget->setObjectName(QString::number(number));
    }
}

void AdoptControlNumbers(QWidget* root) {
    if (root == nullptr) {
        return;
    }
    static const QRegularExpression designerName(QStringLiteral("^c([0-9]+)$"));
    const QList<QWidget*> children = root->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QRegularExpressionMatch match = designerName.match(child->objectName());
        if (match.hasMatch()) {
            child->setObjectName(match.captured(1));
        }
    }
}

QWidget* FindControl(const QWidget* root, int number) {
    if (root == nullptr) {
        return nullptr;
    }
    return root->findChild<QWidget*>(QString::number(number));
}

QString MnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (text[i + 1] == QLatin1Char('&')) {
                ++i;
                continue;
            }
            return QString(text[i + 1].toUpper());
        }
    }
    return {};
}

void AssignMnemonics(QWidget* root, const QString& taken) {
    if (root == nullptr) {
        return;
    }
    QString used = taken.toUpper();
    const QList<QAbstractButton*> controls = MnemonicControls(root);
    for (const QAbstractButton* control : controls) {
        used += MnemonicOf(control->text());
    }
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            used += MnemonicOf(label->text());
        }
    }
    for (QAbstractButton* control : controls) {
        const QString text = control->text();
        if (!MnemonicOf(text).isEmpty() || !TakesMnemonic(text)) {
            continue;
        }
        const qsizetype at = MnemonicPosition(text, used);
        if (at < 0) {
            continue;
        }
        used += text[at].toUpper();
        control->setText(text.left(at) + QLatin1Char('&') + text.mid(at));
    }
}

QString WithoutMnemonics(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;  // "&x" shows x; "&&" shows one '&'
        }
        plain.append(text[i]);
    }
    return plain;
}

}  // namespace qx7::gui
