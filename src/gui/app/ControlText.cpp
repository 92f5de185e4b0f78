#include "gui/app/ControlText.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextEdit>
#include <QWidget>
#include <string>

#include "core/app/StringTable.h"

namespace qx7::gui {
namespace {

// Table texts carry no mnemonics; a literal '&' must not underline the next letter.
QString EscapeMnemonics(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return escaped;
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
