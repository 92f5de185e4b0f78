// 144, one settings block: header and every cell as qx7log prints them, the red mark exactly on
// the rows qx7log marks, Save As writing qx7log's CSV bytes, cancel and failure, resizing, the
// mark drawn sharp at any pixel ratio; both languages.

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <QTreeView>
#include <set>

#include "core/text/StringTable.h"
#include "gui/settings/DiffersMark.h"
#include "gui/settings/SettingsViewerTest.h"

namespace qx7::test {
namespace {

using loggen::LogForm;

const QStringList kBlocks = {"8011", "8012", "8013", "8014", "8015", "8016"};

class BlockDisplayTest : public SettingsViewerTest {
  protected:
    using SettingsViewerTest::SettingsViewerTest;

    static QTreeView* Rows(QDialog* shown) { return ViewerControl<QTreeView>(shown, 1036); }

    // What qx7log prints and writes for the block: the marked rows' numbers, and the cells
    // compared one by one with the dialog's.
    std::set<int> ExpectShowsWhatQx7logPrints(QDialog* shown, const std::string& log,
                                              const QString& block, bool compare) {
        std::vector<std::string> arguments = {"settings", log, "--block", block.toStdString()};
        if (compare) {
            arguments.emplace_back("--compare");
        }
        const ProgramResult printed = Qx7Log(arguments);
        EXPECT_EQ(printed.exitCode, 0) << printed.err;
        const QStringList lines = Lines(printed.out);

        const QAbstractItemModel* model = Rows(shown)->model();
        EXPECT_EQ(model->rowCount(), lines.size()) << block.toStdString();
        EXPECT_EQ(model->columnCount(), 5);
        std::set<int> marked;
        for (int r = 0; r < lines.size() && r < model->rowCount(); ++r) {
            const QStringList fields = lines[r].split(QLatin1Char('\t'));
            EXPECT_EQ(fields.size(), 6) << lines[r].toStdString();
            for (int c = 0; c < 5 && c + 1 < fields.size(); ++c) {
                EXPECT_EQ(model->index(r, c).data().toString(), fields[c + 1])
                    << block.toStdString() << " row " << r << " column " << c;
                if (c > 0) {
                    EXPECT_TRUE(model->index(r, c).data(Qt::DecorationRole).isNull());
                }
                // Numbers and values are never cut short (the names may be, at the right).
                const int room =
                    Rows(shown)->header()->sectionSize(c) - (c == 0 ? gui::kDiffersMarkSide : 0);
                if (c < 4) {
                    EXPECT_LT(Rows(shown)->fontMetrics().horizontalAdvance(fields[c + 1]), room)
                        << block.toStdString() << " row " << r << " column " << c;
                }
            }
            const QVariant mark = model->index(r, 0).data(Qt::DecorationRole);
            EXPECT_EQ(fields.front() == "*", !mark.isNull()) << block.toStdString() << " row " << r;
            if (!mark.isNull()) {
                marked.insert(r);
                EXPECT_EQ(model->index(r, 0).data(Qt::ToolTipRole).toString(),
                          Entry(Language(), 5450));
            } else {
                EXPECT_TRUE(model->index(r, 0).data(Qt::ToolTipRole).isNull());
            }
        }

        // The header fields are those of the CSV file's first line.
        const std::string csv = dir.File("expected-" + block.toStdString() + ".csv");
        std::filesystem::remove(csv);
        const ProgramResult written =
            Qx7Log({"settings", log, "--block", block.toStdString(), "--csv", csv});
        EXPECT_EQ(written.exitCode, 0) << written.err;
        const QString first =
            QString::fromStdString(ReadFile(csv)).section(QLatin1Char('\n'), 0, 0);
        static const QRegularExpression header(
            QStringLiteral("^-3333,(0x[0-9A-F]{4}),\"([^\"]*)\",(0x[0-9A-F]+),\"([^\"]*)\"\r$"));
        const QRegularExpressionMatch match = header.match(first);
        EXPECT_TRUE(match.hasMatch()) << first.toStdString();
        EXPECT_EQ(ViewerControl<QLineEdit>(shown, 1031)->text(), match.captured(1));
        EXPECT_EQ(ViewerControl<QLineEdit>(shown, 1031)->text(), "0x" + block);
        EXPECT_EQ(ViewerControl<QLineEdit>(shown, 1033)->text(), match.captured(2));
        EXPECT_EQ(ViewerControl<QLineEdit>(shown, 1032)->text(), match.captured(3));
        EXPECT_EQ(ViewerControl<QLineEdit>(shown, 1030)->text(), match.captured(4));
        return marked;
    }

    void ExpectTexts(QDialog* shown) {
        EXPECT_EQ(shown->windowTitle(), Entry(Language(), 348));
        EXPECT_EQ(ViewerControl<QLabel>(shown, 1289)->text(), Entry(Language(), 349));
        EXPECT_EQ(ViewerControl<QLabel>(shown, 1093)->text(), Entry(Language(), 350));
        EXPECT_EQ(ViewerControl<QPushButton>(shown, 1195)->text(), Entry(Language(), 351));
        EXPECT_EQ(ViewerControl<QPushButton>(shown, 1)->text(), Entry(Language(), 290));
        EXPECT_EQ(ViewerControl<QLineEdit>(shown, 1031)->accessibleName(), Entry(Language(), 349));
        EXPECT_EQ(ViewerControl<QLineEdit>(shown, 1032)->accessibleName(), Entry(Language(), 350));
        for (int field : {1031, 1032, 1033, 1030}) {
            EXPECT_TRUE(ViewerControl<QLineEdit>(shown, field)->isReadOnly()) << field;
        }
        const QHeaderView* header = Rows(shown)->header();
        const QStringList titles = {"No.", "Addr", "Size", "Data", "Name"};
        const int widths[] = {45, 55, 40, 160, 400};
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(Rows(shown)->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
            EXPECT_GE(header->sectionSize(c), widths[c]) << c;
            EXPECT_EQ(Rows(shown)->model()->index(0, c).data(Qt::TextAlignmentRole).toInt() &
                          Qt::AlignHorizontal_Mask,
                      Qt::AlignLeft);
        }
        EXPECT_EQ(header->defaultAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    }

    // The dialog's save of the block, through the chooser answering `path`.
    void PressSaveAs(QDialog* shown, const QString& path) {
        harness.files.answers.push_back(path);
        QTest::mouseClick(ViewerControl<QPushButton>(shown, 1195), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
};

TEST_F(BlockDisplayTest, EveryBlockShowsWhatQx7logPrintsWithAndWithoutComparison) {
    const std::string log = GeneratedLog("p1.zlg", LogForm::Compressed);
    QDialog* list = OpenBlockList("rows", log);
    ASSERT_NE(list, nullptr);
    int marks = 0;
    for (const QString& block : kBlocks) {
        for (bool compare : {false, true}) {
            QDialog* shown = DisplayBlock(list, block, compare);
            ASSERT_NE(shown, nullptr) << block.toStdString();
            const std::set<int> marked = ExpectShowsWhatQx7logPrints(shown, log, block, compare);
            if (!compare) {
                EXPECT_TRUE(marked.empty()) << block.toStdString();
            }
            marks += static_cast<int>(marked.size());
            if (block == "8014" && compare) {
                ScreenshotViewer(shown, "144-8014-compare");  // the widest values
            }
            ASSERT_TRUE(CloseByEscape(shown));
        }
    }
    // The generated printer differs from its factory in a few places, and they are marked.
    EXPECT_GT(marks, 0);
    EXPECT_TRUE(harness.sink.shown.empty());
    ASSERT_TRUE(CloseByEscape(list));
    ExpectNoTemporaries();
}

TEST_F(BlockDisplayTest, TheListIsOneRowAtATimeWithTheControlsAndTextsOfTheLayout) {
    const std::string log = GeneratedLog("p1.log", LogForm::Plain);
    QDialog* list = OpenBlockList("look", log);
    ASSERT_NE(list, nullptr);
    QDialog* shown = DisplayBlock(list, "8011", true);
    ASSERT_NE(shown, nullptr);
    ExpectTexts(shown);
    EXPECT_TRUE(ViewerControl<QPushButton>(shown, 1)->isDefault());
    EXPECT_FALSE(ViewerControl<QPushButton>(shown, 1195)->isDefault());
    QTreeView* rows = Rows(shown);
    EXPECT_EQ(QApplication::focusWidget(), rows);
    // A click on a cell chooses its whole row; Ctrl or Shift with a click never adds a second.
    const auto clickCell = [rows](int row, int column, Qt::KeyboardModifiers keys) {
        const QRect cell = rows->visualRect(rows->model()->index(row, column));
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, keys, cell.center());
    };
    clickCell(3, 2, {});
    clickCell(5, 4, Qt::ControlModifier);
    clickCell(7, 1, Qt::ShiftModifier);
    EXPECT_EQ(rows->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(rows->selectionModel()->selectedIndexes().size(), 5);
    EXPECT_EQ(rows->selectionModel()->selectedRows().front().row(), 7);
    // Nothing is edited in place.
    QTest::keyClick(rows, Qt::Key_F2);
    EXPECT_TRUE(rows->viewport()->findChildren<QLineEdit*>().isEmpty());
    ScreenshotViewer(shown, "144-compare");
    ScreenshotViewerAt2x(shown, "144-compare");

    // The Close button closes; Enter presses it as well.
    QTest::keyClick(rows, Qt::Key_Return);
    EXPECT_EQ(WaitForDialog(QStringLiteral("CEEPDispSel")), list);
    shown = DisplayBlock(list, "8011", false);
    ASSERT_NE(shown, nullptr);
    QPointer<QDialog> watched(shown);
    QTest::mouseClick(ViewerControl<QPushButton>(shown, 1), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, kDialogWaitMs));
    EXPECT_EQ(WaitForDialog(QStringLiteral("CEEPDispSel")), list);
    ASSERT_TRUE(CloseByEscape(list));
}

TEST_F(BlockDisplayTest, SaveAsWritesQx7logsCsvAndRemembersThePath) {
    const std::string log = GeneratedLog("p1.zlg", LogForm::Compressed);
    const std::string expected = dir.File("qx7log.csv");
    ASSERT_EQ(Qx7Log({"settings", log, "--block", "8014", "--csv", expected}).exitCode, 0);
    QDialog* list = OpenBlockList("save", log);
    ASSERT_NE(list, nullptr);
    QDialog* shown = DisplayBlock(list, "8014", true);
    ASSERT_NE(shown, nullptr);

    const std::string target = dir.File("mine.csv");
    WriteFile(target, "an older file the chooser agreed to replace");
    PressSaveAs(shown, QString::fromStdString(target));
    ASSERT_EQ(harness.files.calls.size(), 1u);
    const FakeFileChooser::Call& call = harness.files.calls.front();
    EXPECT_EQ(call.kind, "save");
    // The program's folder holds no logs: the home folder is proposed.
    EXPECT_EQ(call.start, QDir::homePath() + "/EEPROM-8014.csv");
    EXPECT_EQ(call.filter, "CSV Files (*.csv);;All Files (*)");
    EXPECT_EQ(ReadFile(target), ReadFile(expected));
    EXPECT_TRUE(harness.sink.shown.empty());

    // The next Save As proposes the path just chosen; a cancel writes nothing.
    const std::vector<std::string> before = FileNames(dir.Path());
    PressSaveAs(shown, QString());
    ASSERT_EQ(harness.files.calls.size(), 2u);
    EXPECT_EQ(harness.files.calls.back().start, QString::fromStdString(target));
    EXPECT_EQ(FileNames(dir.Path()), before);
    EXPECT_EQ(ReadFile(target), ReadFile(expected));
    EXPECT_TRUE(harness.sink.shown.empty());

    ASSERT_TRUE(CloseByEscape(shown));
    ASSERT_TRUE(CloseByEscape(list));
    ExpectNoTemporaries();
}

TEST_F(BlockDisplayTest, AFailedSaveShowsTheFileErrorWithThePathAndLeavesNoFile) {
    const std::string log = GeneratedLog("p1.log", LogForm::Plain);
    QDialog* list = OpenBlockList("fail", log);
    ASSERT_NE(list, nullptr);
    QDialog* shown = DisplayBlock(list, "8011", false);
    ASSERT_NE(shown, nullptr);
    // A file where a folder should be: no one, root included, can write beneath it.
    WriteFile(dir.File("not-a-folder"), "x");
    const std::string target = dir.File("not-a-folder") + "/EEPROM-8011.csv";
    const std::vector<std::string> before = FileNames(dir.Path());
    PressSaveAs(shown, QString::fromStdString(target));
    EXPECT_EQ(harness.sink.shown, std::vector<std::string>{MessageWithCode(Language(), 238, -125) +
                                                           "(" + target + ")"});
    EXPECT_EQ(FileNames(dir.Path()), before);
    // The dialog stays, and proposes the failed path again.
    EXPECT_EQ(QApplication::activeModalWidget(), shown);
    PressSaveAs(shown, QString());
    EXPECT_EQ(harness.files.calls.back().start, QString::fromStdString(target));
    ASSERT_TRUE(CloseByEscape(shown));
    ASSERT_TRUE(CloseByEscape(list));
}

TEST_F(BlockDisplayTest, TheListGrowsBothWaysAndTheButtonsKeepToTheRight) {
    QDialog* list = OpenBlockList("resize", GeneratedLog("p1.log", LogForm::Plain));
    ASSERT_NE(list, nullptr);
    QDialog* shown = DisplayBlock(list, "8015", false);
    ASSERT_NE(shown, nullptr);
    EXPECT_GE(shown->minimumWidth(), 480);
    EXPECT_GE(shown->minimumHeight(), 360);
    EXPECT_GE(shown->minimumSize().width(), shown->minimumSizeHint().width());
    EXPECT_GE(shown->minimumSize().height(), shown->minimumSizeHint().height());

    shown->resize(shown->minimumSize());
    QTest::qWait(0);
    QWidget* rows = Rows(shown);
    QWidget* saveAs = ViewerControl<QPushButton>(shown, 1195);
    QWidget* close = ViewerControl<QPushButton>(shown, 1);
    QWidget* signature = ViewerControl<QLineEdit>(shown, 1033);
    QWidget* title = ViewerControl<QLineEdit>(shown, 1030);
    const QRect rowsBefore = rows->geometry();
    const QRect saveBefore = saveAs->geometry();
    const QRect closeBefore = close->geometry();
    const QRect signatureBefore = signature->geometry();
    const QRect titleBefore = title->geometry();
    EXPECT_LT(saveBefore.right(), closeBefore.left());
    EXPECT_GT(rowsBefore.height(), 0);

    shown->resize(shown->minimumSize() + QSize(200, 150));
    QTest::qWait(0);
    EXPECT_EQ(rows->geometry().size(), rowsBefore.size() + QSize(200, 150));
    EXPECT_EQ(rows->geometry().topLeft(), rowsBefore.topLeft());
    for (const auto& [button, before] : {std::pair{saveAs, saveBefore}, {close, closeBefore}}) {
        EXPECT_EQ(button->geometry(), before.translated(200, 0));
    }
    for (const auto& [field, before] :
         {std::pair{signature, signatureBefore}, {title, titleBefore}}) {
        EXPECT_EQ(field->geometry().size(), before.size() + QSize(200, 0));
        EXPECT_EQ(field->geometry().topLeft(), before.topLeft());
    }
    ASSERT_TRUE(CloseByEscape(shown));
    ASSERT_TRUE(CloseByEscape(list));
}

// The mark's pixels down its middle column: the runs of colour from top to bottom.
std::vector<QRgb> MiddleRuns(const QImage& image) {
    std::vector<QRgb> runs;
    const int x = image.width() / 2;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb pixel = image.pixel(x, y);
        if (runs.empty() || runs.back() != pixel) {
            runs.push_back(pixel);
        }
    }
    return runs;
}

TEST(DiffersMark, IsDrawnSharpAtEveryPixelRatio) {
    const QRgb none = 0;
    const QRgb edge = qRgb(0x99, 0, 0);
    const QRgb face = qRgb(0xE0, 0x10, 0x10);
    const QRgb sign = qRgb(0, 0, 0);
    for (qreal ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
        const QPixmap mark = gui::DrawDiffersMark(16, ratio);
        EXPECT_EQ(mark.width(), qRound(16 * ratio)) << ratio;
        EXPECT_EQ(mark.height(), mark.width()) << ratio;
        EXPECT_EQ(mark.devicePixelRatio(), ratio);
        EXPECT_EQ(mark.deviceIndependentSize(), QSizeF(16, 16)) << ratio;
        const QImage image = mark.toImage().convertToFormat(QImage::Format_ARGB32);
        // No blended pixels: four colours only, and the mark is symmetric.
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                colours.insert(qAlpha(image.pixel(x, y)) == 0 ? none : image.pixel(x, y));
            }
        }
        EXPECT_EQ(colours, (std::set<QRgb>{none, edge, face, sign})) << ratio;
        EXPECT_EQ(image, image.mirrored(true, false)) << ratio;
        // A red square with a bar and a dot in it.
        EXPECT_EQ(MiddleRuns(image),
                  (std::vector<QRgb>{none, edge, face, sign, face, sign, face, edge, none}))
            << ratio;
    }
}

TEST(DiffersMark, TheIconPaintsAtTheDevicesPixelRatioNotScaled) {
    const QIcon icon = gui::DiffersMarkIcon();
    for (qreal ratio : {1.0, 1.5, 2.0}) {
        // Painted on a device of that ratio, as a list on such a screen paints it.
        QPixmap target(QSize(16, 16) * ratio);
        target.setDevicePixelRatio(ratio);
        target.fill(Qt::transparent);
        QPainter painter(&target);
        icon.paint(&painter, QRect(0, 0, 16, 16));
        painter.end();
        EXPECT_EQ(target.toImage().convertToFormat(QImage::Format_ARGB32),
                  gui::DrawDiffersMark(16, ratio).toImage().convertToFormat(QImage::Format_ARGB32))
            << ratio;
        // Asked for a pixmap for such a screen, it has the screen's pixels.
        const QPixmap pixmap = icon.pixmap(QSize(16, 16), ratio);
        EXPECT_EQ(pixmap.width(), qRound(16 * ratio)) << ratio;
    }
}

class BlockDisplayJapaneseTest : public BlockDisplayTest {
  protected:
    BlockDisplayJapaneseTest() : BlockDisplayTest(kJapanese) {}
};

TEST_F(BlockDisplayJapaneseTest, TextsRowsAndMarksInJapanese) {
    const std::string log = GeneratedLog("p1.zlg", LogForm::Compressed);
    QDialog* list = OpenBlockList("ja", log);
    ASSERT_NE(list, nullptr);
    QDialog* shown = DisplayBlock(list, "8011", true);
    ASSERT_NE(shown, nullptr);
    ExpectTexts(shown);
    EXPECT_FALSE(ExpectShowsWhatQx7logPrints(shown, log, "8011", true).empty());
    EXPECT_NE(Entry(kJapanese, 5450), Entry(kEnglish, 5450));
    ScreenshotViewer(shown, "144-compare");
    ScreenshotViewerAt2x(shown, "144-compare");
    ASSERT_TRUE(CloseByEscape(shown));
    ASSERT_TRUE(CloseByEscape(list));
    ExpectNoTemporaries();
}

}  // namespace
}  // namespace qx7::test
