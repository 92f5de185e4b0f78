#include "core/log/LogAnalysis.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "loggen/LogBuilder.h"
#include "platform/SystemLocalTime.h"
#include "support/LogEntryFeed.h"
#include "support/RecordingMessageSink.h"
#include "support/ScopedTimeZone.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

const LogAnalysisDefinition& Analysis(std::size_t index) {
    return LogAnalyses()[index];
}

class LogAnalysisTest : public ::testing::Test {
  protected:
    std::string Listing(IPositionedLogEntrySource& source, const LogAnalysisDefinition& analysis,
                        long maximum, std::uint32_t stretchWords = kListingStretchWords) {
        std::string listing;
        StreamAnalysisListing(
            source, analysis, maximum, english,
            [&](std::string_view piece) {
                listing += piece;
                return true;
            },
            stretchWords);
        return listing;
    }

    void SetUp() override { QX7_SKIP_UNLESS_PINNED(tz); }

    test::ScopedTimeZone tz{"UTC"};
    SystemLocalTime clock;
    LogTextContext english{kEnglish, clock};
};

TEST_F(LogAnalysisTest, TableListsTheEightAnalysesThenItsEnd) {
    ASSERT_EQ(LogAnalyses().size(), kLogAnalysisCount + 1);
    EXPECT_STREQ(Analysis(0).name, "All Error log");
    EXPECT_STREQ(Analysis(4).name, "Temparature Warning and Error");
    EXPECT_STREQ(Analysis(6).name, "White Tube cleanning log");
    EXPECT_EQ(LogAnalyses()[kLogAnalysisCount].kind, AnalysisKind::kEnd);
}

TEST_F(LogAnalysisTest, SelectionByTypeAndByCode) {
    CQXLogEntry entry;
    for (int type = 0; type < 8; ++type) {
        entry.type = type;
        EXPECT_EQ(SelectsEntry(Analysis(0), entry), type == 1 || type == 2) << type;
    }
    entry.type = 3;
    for (const std::uint32_t code : {0x00001060u, 0x00001061u, 0x00006160u}) {
        entry.code = code;
        EXPECT_TRUE(SelectsEntry(Analysis(4), entry));
    }
    entry.code = 0x10650000;  // colour tube cleaning is not a white one
    EXPECT_FALSE(SelectsEntry(Analysis(6), entry));
    entry.code = 0x10700000;
    EXPECT_TRUE(SelectsEntry(Analysis(6), entry));
    const LogAnalysisDefinition otherParameter{AnalysisKind::kByType, nullptr, 3, "x"};
    entry.type = 1;
    EXPECT_FALSE(SelectsEntry(otherParameter, entry));
    EXPECT_FALSE(SelectsEntry(LogAnalyses()[kLogAnalysisCount], entry));
}

TEST_F(LogAnalysisTest, NothingSelectedSaysSoOnOneLine) {
    test::VectorEntrySource feed({test::MakeEntry(100, 0x00010000, 4)});
    EXPECT_EQ(Listing(feed, Analysis(0), 1000), "No data found.\r\n");
}

TEST_F(LogAnalysisTest, NewestFirstWithParametersAfterABlank) {
    const std::vector<CQXLogEntry> entries{
        test::MakeEntry(0, 0x00001060, 3, test::Words({150})),  // 15.0 C
        test::MakeEntry(3600, 0x00010000, 4), test::MakeEntry(7200, 0x00006160, 1)};
    test::VectorEntrySource feed(entries);
    const std::string listing = Listing(feed, Analysis(4), 1000);
    std::string first;
    std::string second;
    entries[2].FormatTextLine(first, 1, english);
    entries[0].FormatTextLine(second, 2, english);
    EXPECT_EQ(listing, first + "\r\n" + second + " [59 deg F]\r\n");
    EXPECT_EQ(first.substr(0, 30), "000001: 01/01/2000 02:00:00 [0");
}

TEST_F(LogAnalysisTest, MaximumListsOneMoreAndAllListsEverything) {
    std::vector<CQXLogEntry> errors;
    std::vector<CQXLogEntry> sameCode;
    for (std::uint32_t i = 0; i < 1500; ++i) {
        errors.push_back(test::MakeEntry(i, 0x00005000 + i, 2));
        sameCode.push_back(test::MakeEntry(i, 0x00005000, 1));
    }
    test::VectorEntrySource feed(std::move(errors));
    const std::string listing = Listing(feed, Analysis(0), 1000);
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 1001);
    EXPECT_EQ(listing.substr(0, 6), "000001");
    EXPECT_NE(listing.find("[000055DB]"), std::string::npos);  // the newest, code 0x5000 + 1499
    EXPECT_NE(listing.find("001001: "), std::string::npos);
    EXPECT_EQ(listing.find("001002: "), std::string::npos);

    test::VectorEntrySource again(std::move(sameCode));
    const std::string everything = Listing(again, Analysis(0), kNoLimit);
    EXPECT_EQ(std::count(everything.begin(), everything.end(), '\n'), 1500);
}

// The listing read back stretch by stretch must be the one a single pass keeping every
// selected entry gives, wherever the stretches fall and whatever the maximum.
TEST_F(LogAnalysisTest, StretchesListExactlyWhatOnePassKeepingEverythingLists) {
    std::vector<CQXLogEntry> entries;
    for (std::uint32_t i = 0; i < 300; ++i) {
        // Errors in irregular runs, some with parameters, between other entries.
        const int type = (i % 7 == 0 || i % 11 < 3) ? 1 + static_cast<int>(i % 2) : 4;
        entries.push_back(test::MakeEntry(i * 60, 0x00001060 + (i % 3), type,
                                          i % 5 == 0 ? test::Words({i * 10}) : std::string()));
    }
    std::vector<const CQXLogEntry*> selected;
    for (const CQXLogEntry& entry : entries) {
        if (SelectsEntry(Analysis(0), entry)) {
            selected.push_back(&entry);
        }
    }
    ASSERT_GT(selected.size(), 100u);
    for (const long maximum : {0L, 1L, 17L, 1000L, kNoLimit}) {
        std::string expected;
        long number = 0;
        for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
            std::string line;
            std::string parameters;
            (*it)->FormatTextLine(line, static_cast<int>(++number), english);
            (*it)->GetParamText(parameters, english);
            expected += line + (parameters.empty() ? "" : " " + parameters) + "\r\n";
            if (maximum != kNoLimit && number > maximum) {
                break;
            }
        }
        for (const std::uint32_t stretch : {1u, 2u, 3u, 10u, 299u, 300u, kListingStretchWords}) {
            test::VectorEntrySource feed(entries);
            EXPECT_EQ(Listing(feed, Analysis(0), maximum, stretch), expected)
                << "maximum " << maximum << ", stretch " << stretch;
        }
    }
}

TEST_F(LogAnalysisTest, PiecesAreWholeLinesAndARefusingSinkStopsTheListing) {
    std::vector<CQXLogEntry> entries;
    for (std::uint32_t i = 0; i < 3000; ++i) {
        entries.push_back(test::MakeEntry(i, 0x00002070, 2));
    }
    test::VectorEntrySource feed(entries);
    std::vector<std::string> pieces;
    EXPECT_EQ(StreamAnalysisListing(feed, Analysis(7), kNoLimit, english,
                                    [&](std::string_view piece) {
                                        pieces.emplace_back(piece);
                                        return true;
                                    }),
              ListingEnd::kComplete);
    ASSERT_GT(pieces.size(), 1u);  // 3000 lines do not come as one piece
    std::string joined;
    for (const std::string& piece : pieces) {
        EXPECT_EQ(piece.substr(piece.size() - 2), "\r\n");
        EXPECT_LE(piece.size(), 70000u);
        joined += piece;
    }
    test::VectorEntrySource again(entries);
    EXPECT_EQ(joined, Listing(again, Analysis(7), kNoLimit));

    test::VectorEntrySource third(entries);
    int calls = 0;
    EXPECT_EQ(StreamAnalysisListing(third, Analysis(7), kNoLimit, english,
                                    [&](std::string_view) { return ++calls < 2; }),
              ListingEnd::kStopped);
    EXPECT_EQ(calls, 2);
}

TEST_F(LogAnalysisTest, AReadFailureEndsTheCountAndASourceThatCannotGoBackEndsTheListing) {
    std::vector<CQXLogEntry> entries;
    for (std::uint32_t i = 0; i < 10; ++i) {
        entries.push_back(test::MakeEntry(i, 0x00002070, 2));
    }
    // The first read failure ends the loading: the entries before it are listed.
    test::VectorEntrySource failing(entries, 4);
    const std::string listing = Listing(failing, Analysis(7), kNoLimit, 1);
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 4);
    EXPECT_NE(listing.find("000001: 01/01/2000 00:00:03"), std::string::npos);

    // A source that will not go back: what was listed stays, and the end says why.
    class Forgetful final : public IPositionedLogEntrySource {
      public:
        explicit Forgetful(std::vector<CQXLogEntry> entries) : feed_(std::move(entries)) {}
        int ReadEntry(CQXLogEntry& entry) override { return feed_.ReadEntry(entry); }
        int GetEntryCount() const override { return feed_.GetEntryCount(); }
        std::uint32_t EntryPosition() const override { return feed_.EntryPosition(); }
        bool SeekEntry(std::uint32_t position) override {
            return ++seeks_ < 2 && feed_.SeekEntry(position);
        }

      private:
        test::VectorEntrySource feed_;
        int seeks_ = 0;
    } forgetful(entries);
    std::string partial;
    EXPECT_EQ(StreamAnalysisListing(
                  forgetful, Analysis(7), kNoLimit, english,
                  [&](std::string_view piece) {
                      partial += piece;
                      return true;
                  },
                  5),
              ListingEnd::kReadFailed);
    EXPECT_EQ(std::count(partial.begin(), partial.end(), '\n'), 5);  // the newest stretch
}

TEST_F(LogAnalysisTest, RunOnFilesListsContainersAndBareLogsAndNothingForUnreadable) {
    test::TempDir dir;
    test::RecordingMessageSink sink;
    const Messages messages(kEnglish, sink);
    loggen::Ring ring(64);
    ring.Write(loggen::EntrySpec{10, 0, 4, 0, 0x00010000, {}});
    ring.Write(loggen::EntrySpec{20, 0, 2, 0, 0x00002070, {}});
    const std::string container = loggen::ContainerBuilder().LogData(ring).End().Plain();
    ASSERT_TRUE(loggen::WriteBytes(dir.File("p1.zlg"), loggen::Compress(container)));
    ASSERT_TRUE(loggen::WriteBytes(dir.File("bare.bin"), ring.Bytes()));
    for (const char* name : {"p1.zlg", "bare.bin"}) {
        const std::string listing =
            RunLogAnalysis(dir.File(name), Analysis(7), 1000, messages, english);
        EXPECT_EQ(listing.substr(0, 51), "000001: 01/01/2000 00:00:20 [00002070] (ERR) \"Obstr")
            << name;
    }
    EXPECT_EQ(RunLogAnalysis(dir.File("missing"), Analysis(0), 1000, messages, english), "");
    EXPECT_FALSE(std::filesystem::exists(dir.File("p1.zlg.qvl")));
}

// A damaged log's internal error is the caller's to show: the run hands nothing over and
// reports it; the one-text run shows it through its messages, as the window shows it.
TEST_F(LogAnalysisTest, ADamagedLogsInternalErrorGoesToTheCaller) {
    test::TempDir dir;
    const std::string log = dir.File("cut.log");
    ASSERT_TRUE(loggen::WriteBytes(
        log,
        loggen::ContainerBuilder().BlockWithLength("LGDT", 4000, std::string(16, '\0')).Plain()));
    MessageReport report;
    bool handed = false;
    const ListingSink hand = [&](std::string_view) {
        handed = true;
        return true;
    };
    EXPECT_FALSE(StreamLogAnalysis(log, Analysis(0), 1000, &report, english, hand));
    EXPECT_EQ(report.Held(), (std::vector<HeldMessage>{{kMsgInternalError, -152, {}}}));
    EXPECT_FALSE(StreamLogAnalysis(log, Analysis(0), 1000, nullptr, english, hand));
    EXPECT_FALSE(handed);

    test::RecordingMessageSink sink;
    EXPECT_EQ(RunLogAnalysis(log, Analysis(0), 1000, Messages(kEnglish, sink), english), "");
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].substr(sink.shown[0].size() - 7), " (-152)");
    EXPECT_EQ(sink.shown[0].rfind("Internal Error.", 0), 0u);
}

TEST_F(LogAnalysisTest, ARunNoLongerWantedStopsReadingAndHandsNothingMore) {
    test::TempDir dir;
    test::RecordingMessageSink sink;
    const Messages messages(kEnglish, sink);
    loggen::Ring ring(3000 * 4 + 16);
    for (std::uint32_t i = 0; i < 3000; ++i) {
        ring.Write(loggen::EntrySpec{10 + i, 0, 2, 0, 0x00002070, {}});
    }
    const std::string log = dir.File("p1.zlg");
    ASSERT_TRUE(loggen::WriteBytes(
        log, loggen::Compress(loggen::ContainerBuilder().LogData(ring).End().Plain())));

    struct Run {
        bool ready = false;
        std::vector<std::string> pieces;
        int asked = 0;
    };
    // keepReading agrees `agreed` times, or until the sink has had `piecesWanted` pieces.
    const auto run = [&](int agreed, std::size_t piecesWanted) {
        Run result;
        MessageReport report;
        result.ready = StreamLogAnalysis(
            log, Analysis(7), kNoLimit, &report, english,
            [&](std::string_view piece) {
                result.pieces.emplace_back(piece);
                return true;
            },
            [&] { return ++result.asked <= agreed && result.pieces.size() < piecesWanted; });
        return result;
    };

    // Wanted throughout: the whole listing, in several pieces.
    const Run whole = run(1 << 30, SIZE_MAX);
    EXPECT_TRUE(whole.ready);
    ASSERT_GT(whole.pieces.size(), 2u);
    std::string joined;
    for (const std::string& piece : whole.pieces) {
        joined += piece;
    }
    EXPECT_EQ(joined, RunLogAnalysis(log, Analysis(7), kNoLimit, messages, english));

    // Not wanted from the start: the log is opened but no entry is read, not even "No data".
    const Run never = run(0, SIZE_MAX);
    EXPECT_TRUE(never.ready);
    EXPECT_TRUE(never.pieces.empty());
    EXPECT_LE(never.asked, 2);

    // Given up while counting: the count ends there and nothing is listed.
    const Run counting = run(5, SIZE_MAX);
    EXPECT_TRUE(counting.pieces.empty());
    EXPECT_LE(counting.asked, 8);

    // Given up after the first piece: no second piece follows.
    const Run listing = run(1 << 30, 1);
    ASSERT_EQ(listing.pieces.size(), 1u);
    EXPECT_EQ(listing.pieces[0], whole.pieces[0]);

    EXPECT_TRUE(sink.shown.empty());
    EXPECT_FALSE(std::filesystem::exists(log + ".qvl"));
}

}  // namespace
}  // namespace qx7
