#include "core/settings/EEPFile.h"

#include <gtest/gtest.h>

#include "core/base/Resources.h"
#include "support/RecordingMessageSink.h"

namespace qx7 {
namespace {

const std::string kInternal =
    "Internal Error.\nRestart PC and try again.\nIf failed, Please contact QVL";

std::string Internal(int code) {
    return kInternal + " (" + std::to_string(code) + ")";
}

constexpr const char* kHeader =
    "-3333,0x8011,QX7 EEPROM TEMPLATE,0x20111007,General parameters\r\n";

class EEPFileTest : public ::testing::Test {
  protected:
    test::RecordingMessageSink sink;
    Messages messages{kEnglish, sink};
    CEEPFile file;

    // The messages of the file's last operation, as its caller shows them.
    std::vector<std::string> Shown() {
        sink.shown.clear();
        file.Report().Show(messages);
        return sink.shown;
    }
};

struct TemplateFacts {
    int number;
    std::int32_t blockId;
    std::int32_t version;
    const char* title;
    std::int32_t count;
    std::int32_t bytes;
};

TEST_F(EEPFileTest, EveryBuiltInTemplateParsesWithItsHeaderCountAndSize) {
    const TemplateFacts facts[] = {
        {220, 0x8011, 0x20111007, "General parameters", 57, 204},
        {221, 0x8012, 0x20110907, "CR parameters(20ips)", 32, 64},
        {222, 0x8013, 0x20111102, "Serviceman parameters", 45, 128},
        {284, 0x8014, 0x20110727, "Statistics parameters", 124, 528},
        {285, 0x8015, 0x20111226, "Interlace", 212, 308},
        {287, 0x8016, 0x20110907, "CR parameters(13ips)", 32, 64},
    };
    for (const TemplateFacts& f : facts) {
        SCOPED_TRACE(f.number);
        ASSERT_TRUE(file.LoadTemplate(f.number));
        std::int32_t blockId = 0;
        std::int32_t version = 0;
        std::string signature;
        std::string title;
        ASSERT_TRUE(file.GetHeader(blockId, version, signature, title));
        EXPECT_EQ(blockId, f.blockId);
        EXPECT_EQ(file.BlockId(), f.blockId);
        EXPECT_EQ(version, f.version);
        EXPECT_EQ(signature, "QX7 EEPROM TEMPLATE");  // 285 writes it in quotes
        EXPECT_EQ(title, f.title);
        EXPECT_EQ(file.GetCount(), f.count);
        EXPECT_EQ(file.TotalBytes(), f.bytes);
        EXPECT_EQ(file.Entries().size(), static_cast<std::size_t>(f.count) + 1);
        const CMemEntry* last = file.FindEntry(f.count - 1);
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(last->address + last->size, f.bytes);
    }
    EXPECT_TRUE(Shown().empty());
}

TEST_F(EEPFileTest, BuiltInTemplatesEndEveryLineWithCrLf) {
    for (const int number : {220, 221, 222, 284, 285, 287}) {
        const auto bytes = res::Find("templates/" + std::to_string(number) + ".csv");
        ASSERT_TRUE(bytes.has_value()) << number;
        const std::string text(bytes->begin(), bytes->end());
        ASSERT_GE(text.size(), 2u);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << number;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') {
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << number << " at " << i;
            }
            if (text[i] == '\r') {
                ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << number << " at " << i;
            }
        }
    }
}

TEST_F(EEPFileTest, BuiltInTemplateDetails) {
    ASSERT_TRUE(file.LoadTemplate(285));
    EXPECT_EQ(file.FindEntry(0)->name, "uc600N[0] ");  // the blank outside the quotes stays
    EXPECT_EQ(file.FindEntry(3)->valueLow, 131u);
    EXPECT_EQ(file.FindEntry(180)->address, 180);

    ASSERT_TRUE(file.LoadTemplate(284));
    for (std::int32_t i = 46; i <= 53; ++i) {
        EXPECT_EQ(file.FindEntry(i)->size, 8);
        EXPECT_EQ(file.FindEntry(i)->attribute, kAttrHex) << "size 8 is always hexadecimal";
    }
    EXPECT_EQ(file.FindEntry(45)->attribute, kAttrSigned);
    EXPECT_EQ(file.FindEntry(75)->valueLow, 0xFFFFFFFFu);

    ASSERT_TRUE(file.LoadTemplate(220));
    EXPECT_EQ(file.FindEntry(25)->Value(), 0xFFFFFFFFu);
    EXPECT_EQ(file.FindEntry(25)->address, 0x58);
    EXPECT_EQ(file.FindEntry(26)->address, 0x5C);
}

TEST_F(EEPFileTest, CsvOfEveryTemplateParsesBackToTheSameEntries) {
    for (const int number : {220, 221, 222, 284, 285, 287}) {
        SCOPED_TRACE(number);
        ASSERT_TRUE(file.LoadTemplate(number));
        const std::vector<CMemEntry> original = file.Entries();
        CEEPFile again;
        ASSERT_TRUE(again.ParseText(file.CsvText()));
        ASSERT_EQ(again.Entries().size(), original.size());
        for (std::size_t i = 0; i < original.size(); ++i) {
            const CMemEntry& a = original[i];
            const CMemEntry& b = again.Entries()[i];
            EXPECT_EQ(a.index, b.index);
            EXPECT_EQ(a.size, b.size);
            EXPECT_EQ(a.attribute, b.attribute);
            EXPECT_EQ(a.address, b.address);
            EXPECT_EQ(a.Value(), b.Value()) << a.name;
            // The CSV adds one blank after the closing quote of every value row's name.
            EXPECT_EQ(a.index >= 0 ? a.name + " " : a.name, b.name);
        }
    }
    EXPECT_TRUE(Shown().empty());
}

TEST_F(EEPFileTest, CommentsAreKeptAndWrittenBack) {
    const std::string text = std::string("# first remark, with a comma\r\n") + kHeader +
                             "0,4,3,2,LCD contrast # row remark\r\n"
                             "\r\n\n"
                             ",,,,#five empty fields\r\n"
                             "1,2,0x12,0,\"a,b#c\"";  // last line without an end
    ASSERT_TRUE(file.ParseText(text));
    EXPECT_TRUE(Shown().empty());
    ASSERT_EQ(file.Entries().size(), 5u);
    EXPECT_EQ(file.Entries()[0].index, kCommentIndex);
    EXPECT_EQ(file.Entries()[0].text, "# first remark, with a comma");
    EXPECT_EQ(file.FindEntry(1)->name, "a,b#c");
    EXPECT_EQ(file.CsvText(),
              "# first remark, with a comma\r\n"
              "-3333,0x8011,\"QX7 EEPROM TEMPLATE\",0x20111007,\"General parameters\"\r\n"
              "0,4,3,2,\"LCD contrast \"  # row remark\r\n"
              "#five empty fields\r\n"
              "1,2,0x0012,0,\"a,b#c\" \r\n");
}

TEST_F(EEPFileTest, HeaderPlacementFailures) {
    EXPECT_FALSE(file.ParseText("0,4,0,1,x\r\n" + std::string(kHeader)));
    EXPECT_EQ(Shown(), (std::vector<std::string>{Internal(-120), Internal(-124)}));

    EXPECT_FALSE(file.ParseText(std::string(kHeader) + "# note\r\n" + kHeader));
    EXPECT_EQ(Shown(), (std::vector<std::string>{Internal(-121)}));

    EXPECT_FALSE(file.ParseText("0,4,0,1,x\r\n1,4,0,1,y\r\n"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{Internal(-124)}));

    EXPECT_FALSE(file.ParseText("\r\n\r\n"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{Internal(-124)}));
}

TEST_F(EEPFileTest, NumberingMustRunWithoutGapsOrRepeats) {
    const std::string rows =
        std::string(kHeader) + "0,4,0,1,a\r\n1,4,0,1,b\r\n2,4,0,1,c\r\n3,4,0,1,d\r\n";
    EXPECT_FALSE(file.ParseText(rows + "5,4,0,1,f\r\n"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{Internal(-122)}));
    EXPECT_FALSE(file.ParseText(rows + "3,4,0,1,again\r\n"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{Internal(-122)}));
    EXPECT_FALSE(file.ParseText(rows + "-5,-1,0,1,other\r\n"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{Internal(-122)}));
    // A row numbered in turn but marked "not a parameter" (size -1) would give a negative size.
    EXPECT_FALSE(file.ParseText(rows + "4,-1,0,1,not a parameter\r\n"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{Internal(-122)}));
}

TEST_F(EEPFileTest, BadLinesReportIllegalFormatOnlyForBadValues) {
    EXPECT_FALSE(file.ParseText(std::string(kHeader) + "0,4,zz,1,a\r\n"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Illegal format (-20)", Internal(-123)}));

    for (const std::string line : {"0,4,0,1", "0,4,0,1,a,b", "0", "  ", "0,,,,"}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(file.ParseText(std::string(kHeader) + line + "\r\n"));
        ASSERT_FALSE(Shown().empty());
        EXPECT_EQ(Shown().back(), Internal(-123));
    }

    EXPECT_FALSE(file.ParseText("0,4,0,1,\"unterminated\r\n" + std::string(kHeader)));
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                              Internal(-120), Internal(-124)}));  // the quote ends with its line
}

TEST_F(EEPFileTest, FieldsHoldAtMost255Characters) {
    EXPECT_TRUE(file.ParseText(std::string(kHeader) + "0,4,0,1," + std::string(255, 'n') + "\r\n"));
    EXPECT_EQ(file.FindEntry(0)->name.size(), 255u);
    EXPECT_FALSE(
        file.ParseText(std::string(kHeader) + "0,4,0,1," + std::string(256, 'n') + "\r\n"));
    EXPECT_EQ(Shown(), (std::vector<std::string>{Internal(-123)}));
}

TEST_F(EEPFileTest, MissingTemplatesFailQuietlyAndReloadingStartsAfresh) {
    EXPECT_FALSE(file.LoadTemplate(0));
    EXPECT_TRUE(file.Report().Empty());
    EXPECT_FALSE(file.LoadTemplate(999));
    EXPECT_TRUE(Shown().empty());
    ASSERT_TRUE(file.LoadTemplate(221));
    file.Close();
    EXPECT_EQ(file.GetCount(), 32);  // entries survive Close
    ASSERT_TRUE(file.LoadTemplate(220));
    EXPECT_EQ(file.GetCount(), 57);
    EXPECT_EQ(file.Entries().size(), 58u);
    EXPECT_EQ(file.FindEntry(57), nullptr);
}

}  // namespace
}  // namespace qx7
