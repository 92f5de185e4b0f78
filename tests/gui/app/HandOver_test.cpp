// A second start's request in the running copy: the channel with a real local socket (also
// against silent and hostile peers), where a handed-over log opens, the file chooser of the
// desktop's "Open a saved log…" and logs whose names are no UTF-8.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QLocalServer>
#include <QLocalSocket>
#include <chrono>
#include <thread>

#include "gui/app/FileNameBytes.h"
#include "gui/app/HandOver.h"
#include "gui/app/MessageBoxSink.h"
#include "gui/app/SingleInstance.h"
#include "gui/app/Startup.h"
#include "gui/log/EntryBrowser.h"
#include "gui/log/EntryBrowserTexts.h"
#include "gui/log/EntryTableModel.h"
#include "gui/log/LogViewerTest.h"

namespace qx7::test {
namespace {

using gui::HandOverServer;
using gui::SendHandOver;

// A generous bound: only a hang fails it.
constexpr int kWaitMs = 20000;

// The request sent from another thread, as a second process would, while this thread's
// event loop serves the running copy's side.
bool SendWhileServing(const QString& socket, const HandOverRequest& request, int deadlineMs) {
    bool delivered = false;
    bool done = false;
    std::thread sender([&] {
        delivered = SendHandOver(socket, request, deadlineMs);
        done = true;
    });
    const bool ended = QTest::qWaitFor([&] { return done; }, kWaitMs + deadlineMs);
    sender.join();
    return ended && delivered;
}

// A raw connection that sends what it is given and then stays silent.
int RawConnect(const QString& path, const std::string& bytes) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(),
                std::min<std::size_t>(static_cast<std::size_t>(name.size()),
                                      sizeof address.sun_path - 1));
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    if (!bytes.empty() && ::write(fd, bytes.data(), bytes.size()) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// True once the peer closed the connection (read answers 0 or an error).
bool ClosedByPeer(int fd) {
    return QTest::qWaitFor(
        [&] {
            char byte = 0;
            const ssize_t got = ::recv(fd, &byte, 1, MSG_DONTWAIT);
            return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
        },
        kWaitMs);
}

class HandOverChannelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Listen(socket)) << server.ErrorText().toStdString();
    }

    TempDir dir;
    QString socket = QFile::decodeName(QByteArray::fromStdString(dir.File("s")));
    std::vector<HandOverRequest> received;
    HandOverServer server{[this](const HandOverRequest& request) { received.push_back(request); }};
};

TEST_F(HandOverChannelTest, RequestsArriveWithTheLogsBytes) {
    ASSERT_TRUE(SendWhileServing(socket, {}, 5000));
    ASSERT_TRUE(SendWhileServing(socket, {"/media/usb/caf\xe9.zlg"}, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, kWaitMs));
    EXPECT_EQ(received[0].logPath, "");
    EXPECT_EQ(received[1].logPath, "/media/usb/caf\xe9.zlg");
    // Only for this user: the socket is no one else's to open.
    EXPECT_EQ(QFileInfo(socket).permissions() &
                  (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
              0);
}

TEST_F(HandOverChannelTest, SilentAndHostilePeersHoldUpNothing) {
    // One says nothing, one sends garbage, one announces a path beyond the bound.
    const int silent = RawConnect(socket, {});
    const int garbage = RawConnect(socket, "GET / HTTP/1.0\r\n\r\n");
    std::string huge = EncodeHandOver({"x"}).substr(0, kHandOverHeaderSize);
    huge[6] = '\x7f';
    const int oversized = RawConnect(socket, huge);
    ASSERT_GE(silent, 0);
    ASSERT_GE(garbage, 0);
    ASSERT_GE(oversized, 0);
    // A real request goes through beside them.
    EXPECT_TRUE(SendWhileServing(socket, {"/a.zlg"}, 5000));
    EXPECT_TRUE(ClosedByPeer(garbage));
    EXPECT_TRUE(ClosedByPeer(oversized));
    // The silent one is dropped after the server's deadline.
    EXPECT_TRUE(ClosedByPeer(silent));
    for (const int fd : {silent, garbage, oversized}) {
        ::close(fd);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }, kWaitMs));
    EXPECT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].logPath, "/a.zlg");
}

// The sender's side: a copy that takes the connection and never answers, or none at all.
TEST(HandOverSenderTest, GivesUpAtItsDeadline) {
    TempDir dir;
    const QString path = QFile::decodeName(QByteArray::fromStdString(dir.File("mute")));
    QLocalServer mute;
    ASSERT_TRUE(mute.listen(path));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(SendWhileServing(path, {"/a.zlg"}, 300));
    EXPECT_FALSE(SendHandOver(path + "-none", {}, 300));
    EXPECT_LT(timer.elapsed(), kWaitMs);
}

class HandedLogTest : public LogViewerTest {
  protected:
    explicit HandedLogTest(LanguageId language = kEnglish) : LogViewerTest(language) {}

    std::string Log(const std::string& name) {
        loggen::Ring ring(4000);
        for (std::uint32_t i = 0; i < 40; ++i) {
            ring.Write(loggen::EntrySpec{480000000 + i * 600, 0, 1, 0, 0x00001060, {}});
        }
        const std::string path = dir.File(name);
        loggen::WriteBytes(
            path,
            loggen::Compress(
                loggen::ContainerBuilder().SavedAt("201503181320").LogData(ring).End().Plain()));
        return path;
    }

    static std::vector<gui::EntryBrowser*> Browsers() {
        std::vector<gui::EntryBrowser*> found;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* browser = qobject_cast<gui::EntryBrowser*>(widget);
                browser != nullptr && browser->isVisible()) {
                found.push_back(browser);
            }
        }
        return found;
    }

    void HandOver(const std::string& log) {
        gui::CarryOutHandOver({log}, sheet->Context(), sheet.get(), sheet.get());
    }
};

TEST_F(HandedLogTest, OnAMenuOrTheLogRoadTheLogPageShowsIt) {
    const std::string first = Log("first.zlg");
    const std::string second = Log("second.zlg");
    OpenOnMenu("handed-menu");
    HandOver(first);
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogViewers)));
    EXPECT_EQ(driver->Text(1190), QString::fromStdString(first));
    EXPECT_EQ(harness.app.History(), (std::vector<int>{156, 178, 225}));
    // Already on the road: the next log replaces it there.
    HandOver(second);
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogViewers)));
    EXPECT_EQ(driver->Text(1190), QString::fromStdString(second));
    EXPECT_EQ(harness.app.GetLogFileName(), second);
    EXPECT_TRUE(Browsers().empty());
    EXPECT_TRUE(harness.sink.shown.empty());
}

TEST_F(HandedLogTest, DuringAProcedureTheLogOpensBesideIt) {
    const std::string log = Log("beside.zlg");
    OpenOnMenu("handed-procedure");
    ASSERT_TRUE(sheet->SetActivePage(PageNumber(PageId::kConnection)));
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kConnection)));
    HandOver(log);
    std::vector<gui::EntryBrowser*> browsers;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (browsers = Browsers()).size() == 1; }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return browsers[0]->IsLoaded(); }, kWaitMs));
    EXPECT_EQ(browsers[0]->Model()->rowCount(), 40);
    ScreenshotViewer(browsers[0], QStringLiteral("handed-browser"));
    EXPECT_EQ(driver->Current(), PageNumber(PageId::kConnection));
    browsers[0]->reject();
}

// A viewer open over the log page: the log opens above it, and outlives it.
TEST_F(HandedLogTest, OverAnOpenViewerTheLogOpensAboveIt) {
    const std::string first = Log("first.zlg");
    const std::string second = Log("second.zlg");
    OpenViewerPage("handed-viewer", first);
    QDialog* viewer = PressViewer(gui::kBrowserTitle);
    ASSERT_NE(viewer, nullptr);
    HandOver(second);
    QPointer<gui::EntryBrowser> handed;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (gui::EntryBrowser* browser : Browsers()) {
                if (browser != viewer) {
                    handed = browser;
                }
            }
            return !handed.isNull();
        },
        kWaitMs));
    EXPECT_EQ(handed->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(driver->Current(), PageNumber(PageId::kLogViewers));
    EXPECT_EQ(harness.app.GetLogFileName(), first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return handed->IsLoaded(); }, kWaitMs));
    EXPECT_EQ(handed->Model()->rowCount(), 40);
    viewer->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(handed.isNull());
    handed->reject();
}

TEST_F(HandedLogTest, ARequestWithoutALogBringsTheWindowBack) {
    OpenOnMenu("handed-front");
    sheet->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet->isMinimized(); }, kWaitMs));
    gui::CarryOutHandOver({}, sheet->Context(), sheet.get(), sheet.get());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !sheet->isMinimized(); }, kWaitMs));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(driver->Current(), PageNumber(PageId::kOperationMenu));
}

// The desktop's "Open a saved log…": the chooser over the sheet, then the log page.
TEST_F(HandedLogTest, OpenLogChoosesAndShowsTheLogPage) {
    const std::string log = Log("chosen.zlg");
    harness.options.chooseLog = true;
    harness.files.answers.push_back(QString::fromStdString(log));
    sheet = harness.MakeSheet(WizardPages(), registry);
    driver = std::make_unique<SheetDriver>(*sheet, "open-log");
    ASSERT_TRUE(driver->Show());
    gui::OpenChosenLog(*sheet);
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogViewers)));
    driver->Screenshot();
    EXPECT_EQ(driver->Text(1190), QString::fromStdString(log));
    ASSERT_EQ(harness.files.calls.size(), 1u);
    EXPECT_EQ(harness.files.calls[0].kind, "open");
    EXPECT_TRUE(harness.files.calls[0].filter.contains("*.zlg"));
    // Cancelled: the sheet stays where it is.
    sheet.reset();
    sheet = harness.MakeSheet(WizardPages(), registry);
    driver = std::make_unique<SheetDriver>(*sheet, "open-log-cancel");
    ASSERT_TRUE(driver->Show());
    const int first = driver->Current();
    gui::OpenChosenLog(*sheet);
    EXPECT_EQ(driver->Current(), first);
    EXPECT_TRUE(harness.sink.shown.empty());
}

// A Latin-1 name from an old USB stick: the bytes go through from the command line, and the
// text a dialog or the edit field holds finds them again.
TEST_F(HandedLogTest, ALogNamedInLatin1OpensFromEveryRoad) {
    const std::string log = Log("caf\xe9.zlg");
    const QString shown = QFile::decodeName(QByteArray::fromStdString(log));
    ASSERT_TRUE(shown.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(gui::FileNameBytes(shown), log);
    EXPECT_EQ(gui::FileNameBytes(QStringLiteral("/no/such/caf\uFFFD")), "/no/such/caf\xef\xbf\xbd");
    // Dropped by a file manager: the address holds the bytes percent-encoded.
    const QUrl dropped = QUrl::fromEncoded(
        "file://" + QByteArray::fromStdString(log).toPercentEncoding("/"));
    EXPECT_EQ(gui::FileNameBytes(dropped), log);
    EXPECT_EQ(gui::FileNameBytes(QUrl::fromLocalFile(QStringLiteral("/tmp/a b.zlg"))),
              "/tmp/a b.zlg");
    EXPECT_EQ(gui::FileNameBytes(QUrl(QStringLiteral("https://example.com/a.zlg"))), "");

    // The command line of the window.
    harness.options = gui::ParseStartCommand("qx7-service-tool", {log}).options;
    sheet = harness.MakeSheet(WizardPages(), registry);
    driver = std::make_unique<SheetDriver>(*sheet, "latin1");
    gui::ShowStartPage(*sheet, harness.options);
    ASSERT_TRUE(driver->Show());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogViewers)));
    EXPECT_EQ(harness.app.GetLogFileName(), log);
    EXPECT_EQ(driver->Text(1190), shown);
    driver->Screenshot();
    // Back on the log file page, Next again: the edit holds the text alone.
    ASSERT_TRUE(driver->Back());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogFileChoice)));
    ASSERT_TRUE(driver->Next());
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogViewers)));
    EXPECT_EQ(harness.app.GetLogFileName(), log);
    EXPECT_TRUE(harness.sink.shown.empty());

    // --browse: the entry browser shows its entries.
    const gui::StartCommand browse =
        gui::ParseStartCommand("qx7-service-tool", {"--browse", log});
    auto browser = std::make_unique<gui::EntryBrowser>(harness.Context(),
                                                       browse.options.logFile, nullptr);
    browser->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->IsLoaded(); }, kWaitMs));
    EXPECT_EQ(browser->Model()->rowCount(), 40);
    EXPECT_TRUE(browser->windowTitle().contains(QStringLiteral("caf"))) 
        << browser->windowTitle().toStdString();
    browser->reject();
}

// Two names that read the same: the text cannot tell them apart, and neither is guessed.
TEST(FileNameBytesTest, AnAmbiguousNameIsNotGuessed) {
    TempDir dir;
    WriteFile(dir.File("caf\xe9.zlg"), "a");
    WriteFile(dir.File("caf\xe8.zlg"), "b");
    const QString text = QFile::decodeName(QByteArray::fromStdString(dir.File("caf\xe9.zlg")));
    EXPECT_EQ(gui::FileNameBytes(text), QFile::encodeName(text).toStdString());
    // A folder in Latin-1 on the way is found as well.
    std::filesystem::create_directory(dir.File("d\xe9p"));
    WriteFile(dir.File("d\xe9p/a.zlg"), "c");
    EXPECT_EQ(gui::FileNameBytes(
                  QFile::decodeName(QByteArray::fromStdString(dir.File("d\xe9p/a.zlg")))),
              dir.File("d\xe9p/a.zlg"));
}

// The boxes a second start or a blocked lock shows, as the user sees them.
void ExpectStartBoxes(LanguageId language, const QString& tag) {
    TempDir dir;
    const std::string open = dir.File("open");
    std::filesystem::create_directory(open);
    ::chmod(open.c_str(), 0777);
    gui::SingleInstance blocked(QFile::decodeName(QByteArray::fromStdString(open)));
    ASSERT_EQ(blocked.Acquire(), gui::InstanceLock::kFailed);
    const std::string texts[] = {AlreadyStartedText(language, "qx7-service-tool"),
                                 blocked.FailureText(language).toStdString()};
    int shot = 0;
    for (const std::string& text : texts) {
        gui::MessageBoxSink boxes;
        const auto seen = AnswerNextMessageBox([&](QMessageBox& box) {
            const QString folder = qEnvironmentVariable("QX7_SCREENSHOT_DIR");
            if (!folder.isEmpty()) {
                QDir().mkpath(folder);
                box.grab().save(QDir(folder).filePath(
                    QStringLiteral("%1-start-box-%2.png").arg(tag).arg(++shot)));
            }
            box.accept();
        });
        boxes.ShowOk(text);
        ASSERT_TRUE(seen->seen);
        EXPECT_EQ(seen->text.toStdString(), text);
        EXPECT_FALSE(seen->text.contains(QStringLiteral(".exe")));
    }
}

TEST(StartBoxesTest, NameTheProgramAndTheFolderInBothLanguages) {
    ExpectStartBoxes(kEnglish, QStringLiteral("en"));
    ExpectStartBoxes(kJapanese, QStringLiteral("ja"));
}

class HandedLogJapaneseTest : public HandedLogTest {
  protected:
    HandedLogJapaneseTest() : HandedLogTest(kJapanese) {}
};

TEST_F(HandedLogJapaneseTest, OpenLogChoosesAndShowsTheLogPage) {
    const std::string log = Log("chosen.zlg");
    harness.files.answers.push_back(QString::fromStdString(log));
    sheet = harness.MakeSheet(WizardPages(), registry);
    driver = std::make_unique<SheetDriver>(*sheet, "open-log");
    ASSERT_TRUE(driver->Show());
    gui::OpenChosenLog(*sheet);
    ASSERT_TRUE(driver->WaitForPage(PageNumber(PageId::kLogViewers)));
    driver->Screenshot();
    EXPECT_TRUE(harness.sink.shown.empty());
}

}  // namespace
}  // namespace qx7::test
