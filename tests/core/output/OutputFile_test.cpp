// The one way an output is opened: refusals before anything is made, keep or replace as the
// caller decided, and nothing left behind by a failure.

#include "core/output/OutputFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "core/output/ExportOutput.h"
#include "support/TempDir.h"

namespace qx7 {
namespace {

namespace fs = std::filesystem;

// Opens, writes `bytes` and publishes; the opening's answer.
OutputOpening Publish(const std::string& path, const std::string& input, ExistingTarget existing,
                      const std::string& bytes) {
    AtomicOutputFile file;
    OutputOpening opening = OpenOutput(file, path, input, existing);
    if (opening.Opened()) {
        EXPECT_NE(file.Stream(), nullptr);
        EXPECT_TRUE(file.Write(bytes));
        EXPECT_TRUE(file.Commit());
    } else {
        EXPECT_EQ(file.Stream(), nullptr);
    }
    return opening;
}

TEST(OutputFileTest, KeepsOrReplacesAnExistingOutputAsTheCallerDecided) {
    test::TempDir dir;
    const std::string log = dir.File("p1.log");
    test::WriteFile(log, "log");
    const std::string out = dir.File("p1.csv");

    EXPECT_TRUE(Publish(out, log, ExistingTarget::kKeep, "first").Opened());
    EXPECT_EQ(test::ReadFile(out), "first");

    const OutputOpening kept = Publish(out, log, ExistingTarget::kKeep, "second");
    EXPECT_EQ(kept.failure, OutputFailure::kExists);
    EXPECT_EQ(kept.error, EEXIST);
    EXPECT_EQ(kept.cause, CannotCreateCause(EEXIST));
    EXPECT_EQ(test::ReadFile(out), "first");

    EXPECT_TRUE(Publish(out, log, ExistingTarget::kReplace, "third").Opened());
    EXPECT_EQ(test::ReadFile(out), "third");
    EXPECT_EQ(test::ReadFile(log), "log");
    EXPECT_EQ(test::FileNames(dir.Path()), (std::vector<std::string>{"p1.csv", "p1.log"}));
}

TEST(OutputFileTest, TheInputIsNeverAnOutputEvenWithConsent) {
    test::TempDir dir;
    const std::string log = dir.File("p1.log");
    test::WriteFile(log, "log");
    std::vector<std::string> names{log, dir.File(".") + "/p1.log"};
#ifndef _WIN32  // links: POSIX only
    fs::create_symlink(log, dir.File("link.csv"));
    fs::create_hard_link(log, dir.File("hard.csv"));
    names.push_back(dir.File("link.csv"));
    names.push_back(dir.File("hard.csv"));
#endif
    for (const std::string& name : names) {
        for (const ExistingTarget existing : {ExistingTarget::kKeep, ExistingTarget::kReplace}) {
            const OutputOpening refused = Publish(name, log, existing, "csv");
            EXPECT_EQ(refused.failure, OutputFailure::kSameAsInput) << name;
            EXPECT_EQ(refused.cause, "is the log being read; choose another output") << name;
            EXPECT_EQ(refused.error, 0) << name;
            EXPECT_EQ(CheckOutput(name, log).failure, OutputFailure::kSameAsInput) << name;
        }
    }
    EXPECT_EQ(test::ReadFile(log), "log");
}

TEST(OutputFileTest, AFailureLeavesNothingAndSaysWhy) {
    test::TempDir dir;
    const std::string log = dir.File("p1.log");
    test::WriteFile(log, "log");
    fs::create_directory(dir.File("folder.csv"));

    const OutputOpening folder =
        Publish(dir.File("folder.csv"), log, ExistingTarget::kReplace, "csv");
    EXPECT_EQ(folder.failure, OutputFailure::kFolder);
    EXPECT_EQ(folder.error, EISDIR);
    EXPECT_EQ(folder.cause, "is a folder");
    EXPECT_TRUE(fs::is_empty(dir.File("folder.csv")));

    const OutputOpening missing =
        Publish(dir.File("none/p1.csv"), log, ExistingTarget::kReplace, "csv");
    EXPECT_EQ(missing.failure, OutputFailure::kCannotCreate);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(missing.cause, CannotCreateCause(ENOENT));
    EXPECT_EQ(test::FileNames(dir.Path()), (std::vector<std::string>{"folder.csv", "p1.log"}));

    // An opened output that is not published goes without a trace.
    {
        AtomicOutputFile file;
        ASSERT_TRUE(OpenOutput(file, dir.File("p1.csv"), log, ExistingTarget::kKeep).Opened());
        EXPECT_TRUE(file.Write("half"));
    }
    EXPECT_EQ(test::FileNames(dir.Path()), (std::vector<std::string>{"folder.csv", "p1.log"}));
}

}  // namespace
}  // namespace qx7
