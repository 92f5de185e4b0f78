// Control texts from the string table: what each kind of control shows, accessible names,
// missing entries and missing controls, control numbers.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "core/text/StringTable.h"
#include "gui/app/ControlText.h"

namespace qx7::test {
namespace {

using gui::SetCtrlText;

QString Entry(LanguageId language, int number) {
    std::string text;
    LoadLocalString(language, number, text);
    return QString::fromStdString(text);
}

TEST(ControlText, EachKindOfControlShowsTheEntryAndIsNamedByIt) {
    QWidget page;
    auto* group = new QGroupBox(&page);
    auto* radio = new QRadioButton(&page);
    auto* label = new QLabel(QStringLiteral("placeholder"), &page);
    auto* version = new QLineEdit(&page);
    version->setReadOnly(true);

    EXPECT_EQ(SetCtrlText(group, 310, kEnglish), 0);
    EXPECT_EQ(group->title(), "Select menu");
    EXPECT_EQ(SetCtrlText(radio, 313, kEnglish), 0);
    EXPECT_EQ(radio->text(), "Lithium Battery");
    EXPECT_EQ(radio->accessibleName(), "Lithium Battery");
    EXPECT_EQ(SetCtrlText(label, 127, kEnglish), 0);
    EXPECT_EQ(label->text(), Entry(kEnglish, 127));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->accessibleName(), Entry(kEnglish, 127));
    EXPECT_EQ(SetCtrlText(version, 204, kEnglish), 0);
    EXPECT_EQ(version->text(), Entry(kEnglish, 204));
    EXPECT_EQ(version->accessibleName(), Entry(kEnglish, 204));
}

TEST(ControlText, JapaneseTextsArriveWhole) {
    QLabel label;
    EXPECT_EQ(SetCtrlText(&label, 127, kJapanese), 0);
    EXPECT_TRUE(label.text().contains(QString::fromUtf8("QX-7プリンターの電源を入れてください。")));
    EXPECT_EQ(label.text().count(QLatin1Char('\n')), 3);
}

TEST(ControlText, AnEditIsNamedByItsLabel) {
    QWidget page;
    auto* label = new QLabel(&page);
    auto* edit = new QLineEdit(&page);
    label->setBuddy(edit);
    EXPECT_EQ(SetCtrlText(label, 318, kEnglish), 0);
    EXPECT_EQ(edit->accessibleName(), "Select QX-7 Printer");
    // What the user types is not the edit's name.
    edit->setAccessibleName({});
    EXPECT_EQ(SetCtrlText(edit, 204, kEnglish), 0);
    EXPECT_EQ(edit->text(), Entry(kEnglish, 204));
    EXPECT_TRUE(edit->accessibleName().isEmpty());
}

TEST(ControlText, AMissingEntryKeepsThePlaceholderAndAMissingControlDoesNothing) {
    QLabel label(QStringLiteral("placeholder"));
    label.setAccessibleName(QStringLiteral("before"));
    EXPECT_EQ(SetCtrlText(&label, 99999, kEnglish), gui::kNoStringEntry);
    EXPECT_EQ(label.text(), "placeholder");
    EXPECT_EQ(label.accessibleName(), "before");
    EXPECT_EQ(SetCtrlText(nullptr, 102, kEnglish), gui::kNoControl);
    EXPECT_EQ(gui::LocalText(kEnglish, 99999, QStringLiteral("fallback")), "fallback");
}

TEST(ControlText, AnAmpersandInATextIsShownNotAMnemonic) {
    QPushButton button;
    gui::SetWidgetText(&button, QStringLiteral("Log & Settings"));
    EXPECT_EQ(button.text(), "Log && Settings");
    EXPECT_EQ(button.accessibleName(), "Log & Settings");
    QLabel plain;
    gui::SetWidgetText(&plain, QStringLiteral("A & B"));
    EXPECT_EQ(plain.text(), "A & B");
    EXPECT_EQ(gui::WithoutMnemonics(QString::fromUtf8("次へ(&N) >")),
              QString::fromUtf8("次へ(N) >"));
    EXPECT_EQ(gui::WithoutMnemonics(QStringLiteral("A && B&")), "A & B&");
}

TEST(ControlText, EachChoiceAndButtonGetsALetterOfItsOwnWithoutChangingItsWords) {
    QWidget page;
    const auto add = [&page](QAbstractButton* control, const QString& text) {
        gui::SetWidgetText(control, text);
        control->setParent(&page);
        return control;
    };
    QAbstractButton* controls[] = {
        add(new QRadioButton, QStringLiteral("Battery")),        // B is Back's: its a
        add(new QRadioButton, QStringLiteral("Board")),          // B and a taken: its o
        add(new QCheckBox, QStringLiteral("Next time ask")),     // N is Next's: t of "time"
        add(new QPushButton, QStringLiteral("Log & Settings")),  // a literal '&' stays one
        add(new QPushButton, QStringLiteral("View File Information")),
        add(new QPushButton, QStringLiteral("ログの表示")),      // Japanese: left as it is
        add(new QPushButton, QStringLiteral("Already marked")),
    };
    controls[6]->setText(QStringLiteral("Already &marked"));  // a letter of its own already
    gui::AssignMnemonics(&page, QStringLiteral("bnf"));
    const QString shown[] = {
        QStringLiteral("B&attery"),
        QStringLiteral("B&oard"),
        QStringLiteral("Next &time ask"),
        QStringLiteral("&Log && Settings"),
        QStringLiteral("&View File Information"),
        QStringLiteral("ログの表示"),
        QStringLiteral("Already &marked"),
    };
    QStringList letters;
    for (std::size_t i = 0; i < std::size(controls); ++i) {
        EXPECT_EQ(controls[i]->text(), shown[i]);
        const QString letter = gui::MnemonicOf(controls[i]->text());
        if (!letter.isEmpty()) {
            EXPECT_FALSE(letters.contains(letter)) << letter.toStdString();
            letters.append(letter);
        }
    }
    // What is read aloud is the plain text.
    EXPECT_EQ(controls[3]->accessibleName(), "Log & Settings");
    EXPECT_EQ(controls[0]->accessibleName(), "Battery");

    // A second pass (the page shown again) keeps every letter where it is.
    gui::AssignMnemonics(&page, QStringLiteral("bnf"));
    for (std::size_t i = 0; i < std::size(controls); ++i) {
        EXPECT_EQ(controls[i]->text(), shown[i]);
    }
    EXPECT_EQ(gui::MnemonicOf(QStringLiteral("< &Back")), "B");
    EXPECT_EQ(gui::MnemonicOf(QStringLiteral("A && B")), "");
    EXPECT_EQ(gui::MnemonicOf(QStringLiteral("次へ(&N) >")), "N");
}

TEST(ControlText, ControlsAreKnownByTheirNumbers) {
    QWidget page;
    auto* numbered = new QLabel(&page);
    gui::SetControlNumber(numbered, 1320);
    auto* designer = new QLabel(&page);
    designer->setObjectName(QStringLiteral("c1009"));
    auto* notNumber = new QLabel(&page);
    notNumber->setObjectName(QStringLiteral("c10a"));
    auto* described = new QLabel(&page);
    described->setObjectName(QStringLiteral("cancelButton"));

    gui::AdoptControlNumbers(&page);
    EXPECT_EQ(gui::FindControl(&page, 1320), numbered);
    EXPECT_EQ(gui::FindControl(&page, 1009), designer);
    EXPECT_EQ(notNumber->objectName(), "c10a");
    EXPECT_EQ(described->objectName(), "cancelButton");
    EXPECT_EQ(gui::FindControl(&page, 1010), nullptr);
    EXPECT_EQ(gui::FindControl(nullptr, 1009), nullptr);
}

}  // namespace
}  // namespace qx7::test
