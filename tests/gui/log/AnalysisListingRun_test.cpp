// A listing made on a thread of its own: its pieces make up core's listing as a view shows it,
// a run nobody takes from waits with a bounded queue and still stops, and core's messages
// wait for the window.

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <atomic>

#include "core/text/Messages.h"
#include "core/log/LogAnalysis.h"
#include "core/log/LogTextContext.h"
#include "gui/log/AnalysisListingRun.h"
#include "loggen/LogBuilder.h"
#include "support/FixedNowLocalTime.h"
#include "support/RecordingMessageSink.h"
#include "support/TempDir.h"

namespace qx7::test {
namespace {

using gui::AnalysisListingRun;

class AnalysisListingRunTest : public ::testing::Test {
  protected:
    // `errors` obstruction errors, a listing of about 75 bytes a line.
    std::string ErrorLog(std::uint32_t errors) {
        loggen::Ring ring(errors * 4 + 16);
        for (std::uint32_t i = 0; i < errors; ++i) {
            ring.Write(loggen::EntrySpec{400000000 + i, 0, 2, 0, 0x00002070, {}});
        }
        const std::string path = dir.File("errors.zlg");
        EXPECT_TRUE(loggen::WriteBytes(
            path, loggen::Compress(loggen::ContainerBuilder().LogData(ring).End().Plain())));
        return path;
    }

    gui::AnalysisRequest Request(const std::string& path) const {
        gui::AnalysisRequest request;
        request.path = path;
        request.analysis = 7;
        request.maximum = kNoLimit;
        return request;
    }

    // Every piece of the run until it has ended.
    static std::vector<QString> Drain(AnalysisListingRun& run) {
        std::vector<QString> pieces;
        QString piece;
        const bool ended = QTest::qWaitFor(
            [&] {
                AnalysisListingRun::Take take;
                while ((take = run.TakePiece(piece)) == AnalysisListingRun::Take::kPiece) {
                    pieces.push_back(piece);
                }
                return take == AnalysisListingRun::Take::kEnded;
            },
            60000);
        EXPECT_TRUE(ended);
        return pieces;
    }

    TempDir dir;
    FixedNowLocalTime clock{1714532400};
    std::atomic<int> wakes{0};
};

TEST_F(AnalysisListingRunTest, PiecesOfWholeLinesMakeUpTheListing) {
    const std::string log = ErrorLog(20000);
    RecordingMessageSink sink;
    const LogTextContext context(kEnglish, clock);
    const std::string listing =
        RunLogAnalysis(log, LogAnalyses()[7], kNoLimit, Messages(kEnglish, sink), context);

    AnalysisListingRun run(Request(log), clock, [this] { ++wakes; });
    const std::vector<QString> pieces = Drain(run);
    ASSERT_GT(pieces.size(), 10u);
    QString joined;
    for (const QString& piece : pieces) {
        EXPECT_TRUE(piece.endsWith(QLatin1Char('\n')));
        EXPECT_FALSE(piece.contains(QLatin1Char('\r')));
        EXPECT_LE(piece.toUtf8().size(), static_cast<qsizetype>(AnalysisListingRun::kPieceBytes));
        joined += piece;
    }
    std::string expected = listing;
    std::erase(expected, '\r');
    EXPECT_EQ(joined.toStdString(), expected);
    EXPECT_GE(wakes, 1);  // at least the end
    EXPECT_TRUE(run.Messages().empty());
}

TEST_F(AnalysisListingRunTest, ARunNobodyTakesFromWaitsAndStillStops) {
    const std::string log = ErrorLog(50000);
    {
        AnalysisListingRun run(Request(log), clock, [this] { ++wakes; });
        // The queue fills up, and no further: the thread waits for room (a listing of some
        // 3.5 MiB, many times what the queue holds) ...
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return run.Queued() == AnalysisListingRun::kQueuedPieces; }, 60000));
        QTest::qWait(50);
        EXPECT_EQ(run.Queued(), AnalysisListingRun::kQueuedPieces);
        EXPECT_EQ(wakes, 1);  // only for the first piece
        // ... until the run is taken apart, which must not hang.
    }
    // Stopped and not taken apart: it ends without handing over the rest.
    AnalysisListingRun stopped(Request(log), clock, [this] { ++wakes; });
    stopped.Stop();
    const std::vector<QString> rest = Drain(stopped);
    EXPECT_LE(rest.size(), AnalysisListingRun::kQueuedPieces);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(log + ".qvl")));
}

TEST_F(AnalysisListingRunTest, CoresMessagesWaitForTheWindow) {
    const std::string log = dir.File("bad.log");
    ASSERT_TRUE(loggen::WriteBytes(
        log, loggen::ContainerBuilder().Block("LGDT", std::string(10, '\0')).End().Plain()));
    RecordingMessageSink sink;
    EXPECT_EQ(RunLogAnalysis(log, LogAnalyses()[7], kNoLimit, Messages(kEnglish, sink),
                             LogTextContext(kEnglish, clock)),
              "");
    ASSERT_FALSE(sink.shown.empty());
    // Kept for the window to show on its own thread once the run has ended.
    AnalysisListingRun run(Request(log), clock, [] {});
    EXPECT_TRUE(Drain(run).empty());
    EXPECT_EQ(run.Messages(), sink.shown);
}

}  // namespace
}  // namespace qx7::test
