#include "core/text/StringTable.h"

#include <gtest/gtest.h>

#include <set>

namespace qx7 {
namespace {

// Every string number the product's pages, dialogs and messages use, read off once from the
// behaviour of each page and dialog.
const std::set<int> kUsedStrings = {
    102, 103, 104, 105, 110, 111, 112, 113, 114, 116, 117, 118, 119, 120, 121, 122, 123, 126, 127,
    128, 129, 131, 133, 142, 143, 148, 149, 195, 203, 204, 205, 206, 209, 210, 212, 226, 227, 232,
    233, 234, 235, 236, 237, 238, 242, 244, 245, 252, 282, 284, 285, 286, 287, 288, 289, 290, 298,
    299, 300, 301, 302, 303, 304, 305, 308, 309, 310, 311, 312, 313, 314, 315, 317, 318, 319, 324,
    325, 326, 327, 328, 329, 330, 331, 332, 333, 334, 335, 336, 337, 338, 339, 340, 341, 342, 343,
    344, 346, 347, 348, 349, 350, 351, 352, 353, 354, 362, 363, 364, 365, 370, 373, 375, 376, 378,
    380, 381, 382, 385, 387, 388, 389, 390, 391, 392,
    // Page titles, the maintenance tool and viewer notices, the field validation texts.
    5001, 5002, 5003, 5004, 5005, 5006, 5007, 5008, 5009, 5010, 5011, 5012, 5013, 5014, 5015, 5016,
    5017, 5018, 5101, 5102, 5110, 5111, 5112, 5113,
    // The analysis view's note where a very long listing is cut.
    5400,
    // The settings display: the red mark's explanation, the name of its list; moving between
    // the differing rows and the line that counts them.
    5450, 5451, 5460, 5461, 5462, 5463, 5464, 5465, 5466, 5467, 5468, 5469,
    // The statistics dialog's date fields (accessible names).
    5550, 5551, 5552, 5553, 5554, 5555,
    // The statistics chart's titles.
    5560, 5561, 5562, 5563, 5564,
    // The entry browser.
    5600, 5601, 5602, 5603, 5604, 5605, 5606, 5607, 5608, 5609, 5610, 5611, 5612, 5613, 5614, 5615,
    5616, 5617, 5620, 5621, 5622, 5623, 5624, 5625, 5626, 5627, 5628, 5629, 5630, 5631,
    // The entry browser's boxes of the types without a name and its go-to field.
    5640, 5641, 5642, 5643, 5644,
    // Where a file went, an empty settings list.
    5700, 5701, 5702,
    // Starting the window: no display, the lock against a second copy.
    5750, 5751, 5752, 5753, 5754, 5755,
    // qx7log
    5800,
    // The sheet while a printer step runs.
    5850};

bool ReadsTheSameInBothLanguages(int number) {
    return number == 119 || (number >= 233 && number <= 354) || number == 376;
}

TEST(StringTableTest, EveryUsedNumberResolvesInBothLanguages) {
    for (const int number : kUsedStrings) {
        for (const LanguageId language : {kEnglish, kJapanese}) {
            std::string text;
            EXPECT_EQ(LoadLocalString(language, number, text), 0)
                << "string " << number << " in language " << language;
            EXPECT_FALSE(text.empty()) << number;
        }
    }
}

TEST(StringTableTest, TablesHoldNoEntryBeyondTheUsedOnes) {
    for (const LanguageId language : {kEnglish, kJapanese}) {
        for (const auto& [number, text] : StringTable::BuiltIn(language).Entries()) {
            EXPECT_TRUE(kUsedStrings.contains(number)) << "unused entry " << number;
        }
    }
}

TEST(StringTableTest, SharedEntriesReadTheSameAndStepTextsHaveTheirOwnJapanese) {
    const StringTable& english = StringTable::BuiltIn(kEnglish);
    const StringTable& japanese = StringTable::BuiltIn(kJapanese);
    for (const int number : kUsedStrings) {
        const auto en = english.Find(number);
        const auto ja = japanese.Find(number);
        ASSERT_TRUE(en && ja) << number;
        if (ReadsTheSameInBothLanguages(number)) {
            EXPECT_EQ(*en, *ja) << number;
        } else {
            EXPECT_NE(*en, *ja) << "string " << number << " lacks its Japanese text";
        }
    }
}

TEST(StringTableTest, EnglishTextsKeepBlanksEscapesAndQuotes) {
    const StringTable& english = StringTable::BuiltIn(kEnglish);
    EXPECT_EQ(*english.Find(376), " ");
    EXPECT_EQ(*english.Find(382), "already exists. Do you want to overwrite? ");
    EXPECT_EQ(*english.Find(110),
              "Confirmed that Carriage Speed Adjustment is successfully finished. ");
    EXPECT_EQ(*english.Find(118),
              "Step2:\n- Wait a few minutes.\n- When Carriage stops, the  adjustment "
              "completes.\n- Click \"Next\".");
    EXPECT_EQ(*english.Find(244),
              "QX-7 Printer not found. \nCheck USB connection, power and Printer Driver "
              "installed.");
    EXPECT_EQ(*english.Find(391), "The warning \"Clean Tube W\" is reset. ");
    EXPECT_EQ(*english.Find(362),
              "1200dpi x 1200dpi  Color Heads\n\n1200dpi x 1200dpi  White Heads\n\n600dpi x "
              "600dpi  Color Heads\n\n600dpi x 600dpi  White Heads");
}

TEST(StringTableTest, TubePumpStepTextsFollowThePageOrderInBothLanguages) {
    // The first tube pump page shows 120, the second 121. English 120 and 121 are the one
    // place where our English table swaps two texts so that they match the Japanese order.
    const StringTable& english = StringTable::BuiltIn(kEnglish);
    EXPECT_EQ(*english.Find(120),
              "Step1:\n- To set Tubepump exchange information.\n- Click \"Next\"");
    EXPECT_EQ(*english.Find(121),
              "Step2:\n- Tubepump exchange information has been set.\n- Click \"Next\"");
    EXPECT_TRUE(StringTable::BuiltIn(kJapanese).Find(120)->find("1") != std::string_view::npos);
    EXPECT_TRUE(StringTable::BuiltIn(kJapanese).Find(121)->find("2") != std::string_view::npos);
}

TEST(StringTableTest, JapaneseWordingStaysConsistent) {
    const StringTable& japanese = StringTable::BuiltIn(kJapanese);
    for (const auto& [number, text] : japanese.Entries()) {
        SCOPED_TRACE(number);
        // Standard spelling only, and buttons are clicked, not pushed.
        EXPECT_EQ(text.find("攪"), std::string::npos);
        EXPECT_EQ(text.find("を押して"), std::string::npos);
        // Ranges take the full-width sign.
        EXPECT_EQ(text.find('~'), std::string::npos);
        // Every line reads on its own: none starts with a particle left over from a text
        // that once followed something else (382 follows the path on the line before).
        std::size_t start = 0;
        while (start != std::string::npos) {
            const std::string_view line = std::string_view(text).substr(start);
            for (const char* particle : {"は", "が", "を", "に", "の"}) {
                EXPECT_FALSE(line.starts_with(particle)) << text;
            }
            const std::size_t end = text.find('\n', start);
            start = end == std::string::npos ? end : end + 1;
        }
    }
    EXPECT_NE(japanese.Find(212)->find("1～5分"), std::string_view::npos);
    EXPECT_NE(japanese.Find(232)->find("1～3分"), std::string_view::npos);
    // The alignment step has one name on every page that mentions it.
    EXPECT_NE(japanese.Find(381)->find(*japanese.Find(375)), std::string_view::npos);
    EXPECT_NE(japanese.Find(380)->find(*japanese.Find(375)), std::string_view::npos);
}

TEST(StringTableTest, MissingOrEmptyEntryGivesMinus100AndLeavesTheText) {
    std::string text = "placeholder";
    EXPECT_EQ(LoadLocalString(kEnglish, 999, text), -100);
    EXPECT_EQ(LoadLocalString(kJapanese, 101, text), -100);
    EXPECT_EQ(text, "placeholder");

    const auto table = StringTable::Parse("5 \"\"\n");
    ASSERT_TRUE(table);
    EXPECT_EQ(LoadLocalString(*table, 5, text), -100);
    EXPECT_EQ(text, "placeholder");
}

TEST(StringTableTest, LongEntriesAreCutTo1023Characters) {
    const std::string ascii(1500, 'a');
    // Japanese characters are three UTF-8 bytes but one character each.
    std::string kana;
    for (int i = 0; i < 1100; ++i) {
        kana += "\xE3\x81\x82";
    }
    const auto table = StringTable::Parse("1 \"" + ascii + "\"\n2 \"" + kana + "\"\n");
    ASSERT_TRUE(table);
    std::string text;
    ASSERT_EQ(LoadLocalString(*table, 1, text), 0);
    EXPECT_EQ(text.size(), 1023u);
    ASSERT_EQ(LoadLocalString(*table, 2, text), 0);
    EXPECT_EQ(text.size(), 1023u * 3);
}

TEST(StringTableTest, ParserRejectsMalformedLinesWithTheirLineNumber) {
    int line = 0;
    EXPECT_FALSE(StringTable::Parse("# c\n1 \"ok\"\n2 \"bad \\q\"\n", &line));
    EXPECT_EQ(line, 3);
    EXPECT_FALSE(StringTable::Parse("1 \"a\"\n1 \"duplicate\"\n", &line));
    EXPECT_EQ(line, 2);
    EXPECT_FALSE(StringTable::Parse("1 no quotes\n", &line));
    EXPECT_FALSE(StringTable::Parse("1 \"inner \" quote\"\n", &line));
    EXPECT_FALSE(StringTable::Parse("x \"text\"\n", &line));
    const auto crlf = StringTable::Parse("7 \"tab\\there\\\\\"\r\n");
    ASSERT_TRUE(crlf);
    EXPECT_EQ(*crlf->Find(7), "tab\there\\");
}

}  // namespace
}  // namespace qx7
