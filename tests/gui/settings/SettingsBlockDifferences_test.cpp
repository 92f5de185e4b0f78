// 144's moves between the rows that differ from the factory values: F3 / Shift+F3 and the two
// buttons land on exactly the rows qx7log marks, in order, going round the ends with a note; the
// line below the list counts them; nothing to move to without a comparison or a difference.

#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <utility>
#include <vector>

#include "core/text/StringTable.h"
#include "core/base/ByteOrder.h"
#include "gui/settings/SettingsViewerTest.h"

namespace qx7::test {
namespace {

using loggen::LogForm;

const QStringList kBlocks = {"8011", "8012", "8013", "8014", "8015", "8016"};

class ViewEEP2DifferencesTest : public SettingsViewerTest {
  protected:
    using SettingsViewerTest::SettingsViewerTest;

    static QTreeView* Rows(QDialog* shown) { return ViewerControl<QTreeView>(shown, 1036); }
    static QLabel* Status(QDialog* shown) {
        return shown->findChild<QLabel*>(QStringLiteral("differences"));
    }
    static QPushButton* Next(QDialog* shown) {
        return shown->findChild<QPushButton*>(QStringLiteral("nextDifference"));
    }
    static QPushButton* Previous(QDialog* shown) {
        return shown->findChild<QPushButton*>(QStringLiteral("previousDifference"));
    }

    // The rows `qx7log settings --compare` marks with "*".
    std::vector<int> MarkedRows(const std::string& log, const QString& block) {
        const ProgramResult printed =
            Qx7Log({"settings", log, "--block", block.toStdString(), "--compare"});
        EXPECT_EQ(printed.exitCode, 0) << printed.err;
        std::vector<int> marked;
        const QStringList lines = Lines(printed.out);
        for (int r = 0; r < lines.size(); ++r) {
            if (lines[r].startsWith(QStringLiteral("*\t"))) {
                marked.push_back(r);
            }
        }
        return marked;
    }

    QString CountText(std::size_t count) const {
        if (count == 1) {
            return Entry(Language(), 5463);
        }
        return count == 0 ? Entry(Language(), 5464) : Entry(Language(), 5462).arg(count);
    }

    // The one chosen row, whole, and in view; -1 when none is chosen.
    static int ChosenRow(QDialog* shown) {
        QTreeView* rows = Rows(shown);
        const QModelIndexList chosen = rows->selectionModel()->selectedRows();
        if (chosen.size() != 1) {
            return chosen.empty() ? -1 : -2;
        }
        EXPECT_EQ(rows->selectionModel()->selectedIndexes().size(), 5);
        EXPECT_EQ(rows->currentIndex().row(), chosen.front().row());
        const QRect shownRow = rows->visualRect(chosen.front());
        EXPECT_TRUE(rows->viewport()->rect().contains(shownRow)) << chosen.front().row();
        return chosen.front().row();
    }

    static void Press(QDialog* shown, QKeySequence keys) {
        // Under X the dialog becomes the active window some time after it shows; until then
        // the keys would go to the window below it.
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(shown, kDialogWaitMs);
        QTest::keySequence(
            QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : shown, keys);
        QCoreApplication::processEvents();
    }
};

const QKeySequence kF3(Qt::Key_F3);
const QKeySequence kShiftF3(Qt::SHIFT | Qt::Key_F3);

TEST_F(ViewEEP2DifferencesTest, F3AndShiftF3WalkTheMarkedRowsAndSayWhenTheyGoRoundTheEnd) {
    const std::string log = GeneratedLog("p1.zlg", LogForm::Compressed);
    QDialog* list = OpenBlockList("walk", log);
    ASSERT_NE(list, nullptr);
    // The block with the most marks walks furthest.
    QString block;
    std::vector<int> marked;
    for (const QString& candidate : kBlocks) {
        std::vector<int> rows = MarkedRows(log, candidate);
        if (rows.size() > marked.size()) {
            block = candidate;
            marked = rows;
        }
    }
    ASSERT_GE(marked.size(), 2u) << "the generated printer differs in too few places";
    QDialog* shown = DisplayBlock(list, block, true);
    ASSERT_NE(shown, nullptr);
    const QString count = CountText(marked.size());
    EXPECT_EQ(Status(shown)->text(), count);
    EXPECT_TRUE(Next(shown)->isEnabled());
    EXPECT_TRUE(Previous(shown)->isEnabled());
    ASSERT_EQ(QApplication::focusWidget(), Rows(shown));
    EXPECT_EQ(ChosenRow(shown), -1);

    // From the top down through every marked row, then round to the first with a note.
    for (int row : marked) {
        Press(shown, kF3);
        EXPECT_EQ(ChosenRow(shown), row);
        EXPECT_EQ(Status(shown)->text(), count);
    }
    Press(shown, kF3);
    EXPECT_EQ(ChosenRow(shown), marked.front());
    EXPECT_EQ(Status(shown)->text(), Entry(Language(), 5466).arg(count));
    ScreenshotViewer(shown, "144-differences-wrapped");
    shown->resize(shown->minimumSize());
    ScreenshotViewer(shown, "144-differences-narrowest");
    // On, and back; up past the first goes round to the last, with its own note.
    Press(shown, kF3);
    EXPECT_EQ(ChosenRow(shown), marked[1]);
    EXPECT_EQ(Status(shown)->text(), count);
    Press(shown, kShiftF3);
    EXPECT_EQ(ChosenRow(shown), marked[0]);
    Press(shown, kShiftF3);
    EXPECT_EQ(ChosenRow(shown), marked.back());
    EXPECT_EQ(Status(shown)->text(), Entry(Language(), 5467).arg(count));

    // A row chosen by hand is where the next move starts, and the note goes.
    const int between = marked[0] + 1;
    const QModelIndex cell = Rows(shown)->model()->index(between, 2);
    Rows(shown)->scrollTo(cell);
    QTest::mouseClick(Rows(shown)->viewport(), Qt::LeftButton, {},
                      Rows(shown)->visualRect(cell).center());
    ASSERT_EQ(ChosenRow(shown), between);
    EXPECT_EQ(Status(shown)->text(), count);
    Press(shown, kShiftF3);
    EXPECT_EQ(ChosenRow(shown), marked[0]);

    // The buttons move alike, by click and by Enter on the focused one; Enter in the list
    // closes the dialog.
    QTest::mouseClick(Next(shown), Qt::LeftButton);
    EXPECT_EQ(ChosenRow(shown), marked[1]);
    QTest::mouseClick(Previous(shown), Qt::LeftButton);
    EXPECT_EQ(ChosenRow(shown), marked[0]);
    QTest::mouseClick(Previous(shown), Qt::LeftButton);
    EXPECT_EQ(ChosenRow(shown), marked.back());
    EXPECT_EQ(Status(shown)->text(), Entry(Language(), 5467).arg(count));
    Next(shown)->setFocus();
    QTest::keyClick(Next(shown), Qt::Key_Return);
    EXPECT_EQ(ChosenRow(shown), marked[0]);
    QTest::keyClick(Next(shown), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(ChosenRow(shown), marked[1]);
    Rows(shown)->setFocus();
    QPointer<QDialog> watched(shown);
    QTest::keyClick(Rows(shown), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, kDialogWaitMs));
    EXPECT_EQ(WaitForDialog(QStringLiteral("CEEPDispSel")), list);
    EXPECT_TRUE(harness.sink.shown.empty());
    ASSERT_TRUE(CloseByEscape(list));
}

TEST_F(ViewEEP2DifferencesTest, TheCountIsQx7logsMarksAndNothingMovesWithoutAComparison) {
    const std::string log = GeneratedLog("p1.log", LogForm::Plain);
    QDialog* list = OpenBlockList("count", log);
    ASSERT_NE(list, nullptr);
    for (const QString& block : kBlocks) {
        const std::vector<int> marked = MarkedRows(log, block);
        QDialog* shown = DisplayBlock(list, block, true);
        ASSERT_NE(shown, nullptr) << block.toStdString();
        EXPECT_EQ(Status(shown)->text(), CountText(marked.size())) << block.toStdString();
        EXPECT_EQ(Next(shown)->isEnabled(), !marked.empty()) << block.toStdString();
        EXPECT_EQ(Previous(shown)->isEnabled(), !marked.empty()) << block.toStdString();
        if (!marked.empty()) {
            // Up from no chosen row lands on the last mark, without a note.
            Press(shown, kShiftF3);
            EXPECT_EQ(ChosenRow(shown), marked.back()) << block.toStdString();
            EXPECT_EQ(Status(shown)->text(), CountText(marked.size()));
        }
        ASSERT_TRUE(CloseByEscape(shown));

        // Without the comparison: no marks, nothing to go to, and the line says why.
        shown = DisplayBlock(list, block, false);
        ASSERT_NE(shown, nullptr) << block.toStdString();
        EXPECT_EQ(Status(shown)->text(), Entry(Language(), 5465));
        EXPECT_FALSE(Next(shown)->isEnabled());
        EXPECT_FALSE(Previous(shown)->isEnabled());
        Press(shown, kF3);
        Press(shown, kShiftF3);
        EXPECT_EQ(ChosenRow(shown), -1);
        EXPECT_EQ(Status(shown)->text(), Entry(Language(), 5465));
        ASSERT_TRUE(CloseByEscape(shown));
    }
    ASSERT_TRUE(CloseByEscape(list));
}

// Block 0x8011's data as a printer at its factory values stores it.
std::vector<unsigned char> GeneralFactoryData() {
    std::vector<unsigned char> data(204, 0);
    const std::pair<std::size_t, std::uint32_t> words[] = {
        {0, 3}, {1, 3},  {5, 6},      {6, 24},    {7, 26},
        {9, 1}, {10, 1}, {11, 12000}, {12, 1000}, {13, 3500}};
    for (const auto& [row, value] : words) {
        WriteU32BE(data.data() + 4 * row, value);
    }
    for (std::size_t i = 84; i < 92; ++i) {
        data[i] = 0xFF;  // ip address and subnet mask
    }
    return data;
}

TEST_F(ViewEEP2DifferencesTest, APrinterAtItsFactoryValuesHasNothingToMoveTo) {
    const std::string log = dir.File("factory.log");
    ASSERT_TRUE(loggen::WriteBytes(
        log, loggen::ContainerBuilder()
                 .Block("EP11", loggen::SettingsRecord(GeneralFactoryData()))
                 .Block("EP14", loggen::SettingsRecord(loggen::SettingsData(0x8014, 7)))
                 .Plain()));
    ASSERT_TRUE(MarkedRows(log, "8011").empty());
    ASSERT_FALSE(MarkedRows(log, "8014").empty());
    QDialog* list = OpenBlockList("same", log);
    ASSERT_NE(list, nullptr);
    QDialog* shown = DisplayBlock(list, "8011", true);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(Status(shown)->text(), Entry(Language(), 5464));
    EXPECT_FALSE(Next(shown)->isEnabled());
    EXPECT_FALSE(Previous(shown)->isEnabled());
    Press(shown, kF3);
    Press(shown, kShiftF3);
    EXPECT_EQ(ChosenRow(shown), -1);
    EXPECT_EQ(Status(shown)->text(), Entry(Language(), 5464));
    ASSERT_TRUE(CloseByEscape(shown));
    // The other block of the same log differs, and its buttons are there to use.
    shown = DisplayBlock(list, "8014", true);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(Next(shown)->isEnabled());
    // Enter on the focused Next moves to the first difference and the dialog stays; Enter in
    // the list is Close's, the default button.
    Next(shown)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Next(shown), Qt::Key_Return);
    EXPECT_GE(ChosenRow(shown), 0);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Next(shown));
    QPointer<QDialog> alive(shown);
    Rows(shown)->setFocus();
    QTest::keyClick(Rows(shown), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, kDialogWaitMs));
    ASSERT_TRUE(CloseByEscape(list));
}

TEST_F(ViewEEP2DifferencesTest, TheLineAndButtonsSitBelowTheListAndKeepTheirPlaceOnResize) {
    const std::string log = GeneratedLog("p1.log", LogForm::Plain);
    QDialog* list = OpenBlockList("layout", log);
    ASSERT_NE(list, nullptr);
    QDialog* shown = DisplayBlock(list, "8011", true);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(Next(shown)->text(), Entry(Language(), 5460));
    EXPECT_EQ(Previous(shown)->text(), Entry(Language(), 5461));
    EXPECT_EQ(Next(shown)->toolTip(), Entry(Language(), 5468).arg("F3"));
    EXPECT_EQ(Previous(shown)->toolTip(), Entry(Language(), 5469).arg("Shift+F3"));
    // Tab from the list goes to Previous, then Next.
    QWidget* rows = Rows(shown);
    ASSERT_EQ(QApplication::focusWidget(), rows);
    QTest::keyClick(rows, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Previous(shown));
    QTest::keyClick(Previous(shown), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Next(shown));

    for (const QSize grown : {QSize(0, 0), QSize(240, 160)}) {
        shown->resize(shown->minimumSize() + grown);
        QTest::qWait(0);
        const QRect status = Status(shown)->geometry();
        const QRect previous = Previous(shown)->geometry();
        const QRect next = Next(shown)->geometry();
        // Below the list, in one row, the buttons at the right edge of the list.
        EXPECT_GT(status.top(), rows->geometry().bottom());
        EXPECT_LT(status.right(), previous.left());
        EXPECT_LT(previous.right(), next.left());
        EXPECT_EQ(next.right(), rows->geometry().right());
        // Every text the line can say fits it whole, at the narrowest width too.
        for (const QString& text :
             {Status(shown)->text(), Entry(Language(), 5466).arg(Status(shown)->text()),
              Entry(Language(), 5467).arg(Status(shown)->text())}) {
            const QRect needed = Status(shown)->fontMetrics().boundingRect(
                QRect(0, 0, status.width(), 10000), Qt::TextWordWrap, text);
            EXPECT_LE(needed.height(), status.height()) << text.toStdString();
        }
        for (QPushButton* button : {Previous(shown), Next(shown)}) {
            EXPECT_GE(button->width(), button->sizeHint().width());
        }
    }
    ASSERT_TRUE(CloseByEscape(shown));
    ASSERT_TRUE(CloseByEscape(list));
}

class ViewEEP2DifferencesJapaneseTest : public ViewEEP2DifferencesTest {
  protected:
    ViewEEP2DifferencesJapaneseTest() : ViewEEP2DifferencesTest(kJapanese) {}
};

TEST_F(ViewEEP2DifferencesJapaneseTest, TextsInJapanese) {
    const std::string log = GeneratedLog("p1.zlg", LogForm::Compressed);
    const std::vector<int> marked = MarkedRows(log, "8011");
    ASSERT_FALSE(marked.empty());
    QDialog* list = OpenBlockList("ja", log);
    ASSERT_NE(list, nullptr);
    QDialog* shown = DisplayBlock(list, "8011", true);
    ASSERT_NE(shown, nullptr);
    for (int number = 5460; number <= 5469; ++number) {
        EXPECT_NE(Entry(kJapanese, number), Entry(kEnglish, number)) << number;
    }
    EXPECT_EQ(Next(shown)->text(), Entry(kJapanese, 5460));
    EXPECT_EQ(Previous(shown)->text(), Entry(kJapanese, 5461));
    EXPECT_EQ(Status(shown)->text(), CountText(marked.size()));
    Press(shown, kShiftF3);
    EXPECT_EQ(ChosenRow(shown), marked.back());
    Press(shown, kF3);
    EXPECT_EQ(ChosenRow(shown), marked.front());
    EXPECT_EQ(Status(shown)->text(), Entry(kJapanese, 5466).arg(CountText(marked.size())));
    ScreenshotViewer(shown, "144-differences-wrapped");
    ASSERT_TRUE(CloseByEscape(shown));

    shown = DisplayBlock(list, "8011", false);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(Status(shown)->text(), Entry(kJapanese, 5465));
    ScreenshotViewer(shown, "144-differences-none");
    ASSERT_TRUE(CloseByEscape(shown));
    ASSERT_TRUE(CloseByEscape(list));
}

}  // namespace
}  // namespace qx7::test
