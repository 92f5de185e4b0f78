// qx7log on decompression bombs: small ".zlg" files that inflate to a gigabyte, run under a
// 1 GiB address-space limit. Each command must finish with its whole, correct output; before
// the reading was bounded they died of std::bad_alloc here.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "loggen/LogBomb.h"
#include "loggen/LogBuilder.h"
#include "support/LimitedRun.h"
#include "support/LogEntryBytes.h"
#include "support/TempDir.h"

namespace {

using qx7::test::EntryBytes;
using qx7::test::PrinterSeconds;

constexpr std::uint64_t kLimit = 1ULL << 30;
const qx7::test::EnvList kUtc{{"TZ", "UTC"}};

class MemoryBoundTest : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef QX7_SANITIZE_BUILD
        GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit";
#endif
    }

    qx7::test::LimitedRunResult Run(const std::vector<std::string>& args) {
        auto result = qx7::test::RunWithAddressSpaceLimit(QX7LOG_PATH, args, kLimit, kUtc);
        std::printf("[ peak     ] qx7log %s: %.1f MiB resident\n", args.front().c_str(),
                    static_cast<double>(result.peakKiB) / 1024.0);
        return result;
    }

    qx7::test::TempDir dir;
    const std::uint32_t t0 = PrinterSeconds(2015, 3, 1, 10, 0, 0);
};

// One error in every eight entries: a few million lines of "All" listing, newest first.
TEST_F(MemoryBoundTest, AnalyzeListsEveryErrorOfABomb) {
    std::string unit = EntryBytes(t0, 0x00002070, {}, 0, -1, 0, 2);
    for (int i = 0; i < 7; ++i) {
        unit += EntryBytes(t0, 0x00010000);
    }
    const std::uint64_t count =
        qx7::loggen::UnitsWithinInflationLimit(unit.size(), qx7::loggen::kEntryBombOverhead);
    const std::string bomb = dir.File("errors.zlg");
    ASSERT_TRUE(qx7::loggen::WriteEntryBomb(bomb, "", unit, count));
    ASSERT_LT(std::filesystem::file_size(bomb), 4u << 20);

    const auto result = Run({"analyze", bomb, "--max", "all"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.outLines, count);
    EXPECT_EQ(result.firstLine,
              "000001: 03/01/2015 10:00:00 [00002070] (ERR) \"Obstruction sensed on the Platen\"");
    const std::string last = std::to_string(count) + ": ";
    EXPECT_EQ(result.lastLine.substr(0, last.size()), last);
    EXPECT_FALSE(std::filesystem::exists(bomb + ".qvl"));
}

// One job of 33 million prints: 67 million records, one day row and one job row.
TEST_F(MemoryBoundTest, StatsOfABombOfPrints) {
    const std::string unit = EntryBytes(t0, 0x91000000) + EntryBytes(t0, 0x91010000);
    const std::string lead = EntryBytes(t0, 0x20000000);
    const std::uint64_t count = qx7::loggen::UnitsWithinInflationLimit(
        unit.size(), qx7::loggen::kEntryBombOverhead + lead.size());
    const std::string bomb = dir.File("prints.zlg");
    ASSERT_TRUE(qx7::loggen::WriteEntryBomb(bomb, lead, unit, count));
    ASSERT_LT(std::filesystem::file_size(bomb), 4u << 20);

    const auto result = Run({"stats", bomb});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string n = std::to_string(count);
    EXPECT_EQ(
        qx7::test::ReadFile(dir.File("prints_D.csv")),
        "date,print,menu test print,print sum,inkK,inkM,inkC,inkY,inkW1,inkW2,inkW3,inkW4,"
        "inkCMYK,inkW,autopurge,purgeK,purgeM,purgeC,purgeY,Job,powerON,cancel,MntParts\r\n"
        "3/1/2015," +
            n + ",0," + n +
            ",0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,0.000000,"
            "0.000000,0,0,0,0,0,1,0,0,0\r\n");
    const std::string jobs = qx7::test::ReadFile(dir.File("prints_J.csv"));
    const std::size_t row = jobs.find("\r\n") + 2;
    const std::string start = "3/1/2015 10:00,\"\",\"\"," + n + ",";
    EXPECT_EQ(jobs.substr(row, start.size()), start);
    EXPECT_EQ(jobs.find("\r\n", row), jobs.size() - 2);  // one job
    EXPECT_FALSE(std::filesystem::exists(bomb + ".qvl"));
}

// A gigabyte of customer text shows its first 64 KiB and "...".
TEST_F(MemoryBoundTest, InfoCutsAGigabyteText) {
    const std::string bomb = dir.File("customer.zlg");
    const std::uint64_t length = qx7::loggen::UnitsWithinInflationLimit(1, 36 + 8 + 8);
    ASSERT_TRUE(qx7::loggen::WriteTextBomb(bomb, "Cust", length, 'A'));
    ASSERT_LT(std::filesystem::file_size(bomb), 4u << 20);

    const auto result = Run({"info", bomb});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.outLines, 1u);
    EXPECT_EQ(result.firstLine, "Customer :\t\t" + std::string(65536, 'A') + "...");
    EXPECT_FALSE(std::filesystem::exists(bomb + ".qvl"));
}

}  // namespace
