#include "core/log/FirmLogCode.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "core/text/StringTable.h"
#include "core/base/Resources.h"

namespace qx7 {
namespace {

struct Expected {
    std::uint32_t code;
    const char* english;
};

// The codes and English texts in table order, terminator last.
constexpr Expected kExpected[] = {
    {0x00010000, "Power ON"},
    {0x00140000, "Initialization finished"},
    {0x03000000, "Auto Cleaning started"},
    {0x10000000, "Normal Cleaning (All Whites)"},
    {0x10010000, "Normal Cleaning (W1)"},
    {0x10020000, "Normal Cleaning (W2)"},
    {0x10030000, "Normal Cleaning (W3)"},
    {0x10040000, "Normal Cleaning (W4)"},
    {0x10050000, "Normal Cleaning (All Colors)"},
    {0x10060000, "Normal Cleaning (K)"},
    {0x10070000, "Normal Cleaning (M)"},
    {0x10080000, "Normal Cleaning (C)"},
    {0x10090000, "Normal Cleaning (Y)"},
    {0x10100000, "Normal Cleaning (All Heads)"},
    {0x10200000, "Powerful Cleaning (All Whites)"},
    {0x10210000, "Powerful Cleaning (W1)"},
    {0x10220000, "Powerful Cleaning (W2)"},
    {0x10230000, "Powerful Cleaning (W3)"},
    {0x10240000, "Powerful Cleaning (W4)"},
    {0x10250000, "Powerful Cleaning (All Colors)"},
    {0x10260000, "Powerful Cleaning (K)"},
    {0x10270000, "Powerful Cleaning (M)"},
    {0x10280000, "Powerful Cleaning (C)"},
    {0x10290000, "Powerful Cleaning (Y)"},
    {0x10300000, "Powerful Cleaning (All Heads)"},
    {0x10400000, "Initial Cleaning (All Whites)"},
    {0x10410000, "Initial Cleaning (W1)"},
    {0x10420000, "Initial Cleaning (W2)"},
    {0x10430000, "Initial Cleaning (W3)"},
    {0x10440000, "Initial Cleaning (W4)"},
    {0x10450000, "Initial Cleaning (All Colors)"},
    {0x10460000, "Initial Cleaning (K)"},
    {0x10470000, "Initial Cleaning (M)"},
    {0x10480000, "Initial Cleaning (C)"},
    {0x10490000, "Initial Cleaning (Y)"},
    {0x10500000, "Initial Cleaning (All Heads)"},
    {0x10600000, "Tube Cleaning (All Whites)"},
    {0x10610000, "Tube Cleaning (W1)"},
    {0x10620000, "Tube Cleaning (W2)"},
    {0x10630000, "Tube Cleaning (W3)"},
    {0x10640000, "Tube Cleaning (W4)"},
    {0x10650000, "Tube Cleaning (All Colors)"},
    {0x10660000, "Tube Cleaning (K)"},
    {0x10670000, "Tube Cleaning (M)"},
    {0x10680000, "Tube Cleaning (C)"},
    {0x10690000, "Tube Cleaning (Y)"},
    {0x10700000, "Tube Cleaning (All Heads)"},
    {0x10800000, "Daily Cleaning White (All Whites)"},
    {0x10810000, "Daily Cleaning White (W1)"},
    {0x10820000, "Daily Cleaning White (W2)"},
    {0x10830000, "Daily Cleaning White (W3)"},
    {0x10840000, "Daily Cleaning White (W4)"},
    {0x11000000, "Load White (All Whites)"},
    {0x11010000, "Load White (W1)"},
    {0x11020000, "Load White (W2)"},
    {0x11030000, "Load White (W3)"},
    {0x11040000, "Load White (W4)"},
    {0x12000000, "Head Replacement"},
    {0x12010000, "Head Replacement (W1)"},
    {0x12020000, "Head Replacement (W2)"},
    {0x12030000, "Head Replacement (W3)"},
    {0x12040000, "Head Replacement (W4)"},
    {0x12060000, "Head Replacement (K)"},
    {0x12070000, "Head Replacement (M)"},
    {0x12080000, "Head Replacement (C)"},
    {0x12090000, "Head Replacement (Y)"},
    {0x12200000, "White Retrieval"},
    {0x12210000, "Platen Reset"},
    {0x12300000, "Test Print"},
    {0x12310000, "Solid Test Print"},
    {0x12400000, "CR Speed Parameter adjusted"},
    {0x12410000, "CR Origin Sensor adjusted"},
    {0x12420000, "Temperature Sensor adjusted"},
    {0x12500000, "Maintenance Parts Exchange"},
    {0x12510000, "Nozzle Cleaning"},
    {0x12520000, "CR Encoder Strip Cleaning"},
    {0x12600000, "AR3 Loaded from USB flash drive"},
    {0x12610000, "Log Copied to USB flash drive"},
    {0x12620000, "Firmware Updated from USB flash drive"},
    {0x12700000, "Firmware Version indicated"},
    {0x12710000, "Total Print indicated"},
    {0x12800000, "Language to English"},
    {0x12810000, "Language to Spanish"},
    {0x12820000, "Language to French"},
    {0x12830000, "Language to German"},
    {0x12840000, "Language to Italian"},
    {0x12850000, "Language to Japanese"},
    {0x12900000, "Print Direction to Auto"},
    {0x12910000, "Print Direction to Bi"},
    {0x12920000, "Print Direction to Uni Forward"},
    {0x12930000, "Print Direction to Uni Backward"},
    {0x13000000, "Temperature to Fahrenheit"},
    {0x13010000, "Temperature to Centigrade"},
    {0x13100000, "QX-710 Mode (No White) to OFF"},
    {0x13110000, "QX-710 Mode (No White) to ON"},
    {0x13210000, "Auto Job Delete to OFF"},
    {0x13220000, "Auto Job Delete to ON"},
    {0x13300000, "Speaker Volume adjusted"},
    {0x13310000, "LCD Contrast adjusted"},
    {0x13320000, "Log Level adjusted"},
    {0x13400000, "Auto Cleaning Interval adjusted"},
    {0x13410000, "Flushing Interval adjusted"},
    {0x13420000, "Flushing Volume adjusted"},
    {0x13430000, "Daily Cleaning W adjusted"},
    {0x13500000, "Pump Pressure Checked on Cap"},
    {0x13510000, "Pump Pressure Checked on CR"},
    {0x13600000, "Reset CMYK Filter (K)"},
    {0x13610000, "Reset CMYK Filter (M)"},
    {0x13620000, "Reset CMYK Filter (C)"},
    {0x13630000, "Reset CMYK Filter (Y)"},
    {0x13700000, "White agitation started"},
    {0x13710000, "White agitation finished"},
    {0x13720000, "White agitation cancelled"},
    {0x20000000, "Print Job start receiving"},
    {0x20010000, "Print Job received"},
    {0x20020000, "Print Job cancelled"},
    {0x20030000, "Print Job terminated by Error"},
    {0x20040000, "Print Job Delete Request received"},
    {0x20100000, "Update Main Firmware received"},
    {0x20110000, "Update MNT Firmware received"},
    {0x20120000, "Update Font Data received"},
    {0x20130000, "Update Character Data received"},
    {0x20140000, "Update Test Print Data received"},
    {0x20200000, "EEPROM Block Data updated from PC"},
    {0x20300000, "RTC Date Info updated from PC"},
    {0x20410000, "EEPROM Block Data sent to PC"},
    {0x20420000, "EEPROM Block List sent to PC"},
    {0x20500000, "History initialized from PC"},
    {0x20600000, "Firing adjusted from PC"},
    {0x20610000, "CR Speed adjusted from PC"},
    {0x20620000, "Thermistor adjusted from PC"},
    {0x20630000, "White/Color Aligned from PC"},
    {0x20640000, "Origin aligned from PC"},
    {0x20650000, "IP Address assigned from PC"},
    {0x20660000, "16x18 Platen set from PC"},
    {0x30000000, "Ink Sensor status"},
    {0x60000000, "EEPROM Block 11 updated"},
    {0x60010000, "EEPROM Block 12 updated"},
    {0x60020000, "EEPROM Block 13 updated"},
    {0x60030000, "EEPROM Block 14 updated"},
    {0x70000000, "EEPROM Block 11 initialized"},
    {0x70010000, "EEPROM Block 12 initialized"},
    {0x70020000, "EEPROM Block 13 initialized"},
    {0x70030000, "EEPROM Block 14 initialized"},
    {0x71070000, "Log Buffer to the End"},
    {0x90000000, "Print Data Info: Job ID"},
    {0x90010000, "Print Data Info: number of copies"},
    {0x90020000, "Print Data Info: specified print"},
    {0x90030000, "Print Data Info: Platen Size"},
    {0x90040000, "Print Data Info: Ink Amount (CMYK)"},
    {0x90050000, "Print Data Info: Ink Amount (All Whites)"},
    {0x90060000, "Print Data Info: Driver Main settings"},
    {0x90070000, "Print Data Info: Driver Advanced settings"},
    {0x90080000, "Print Data Info: Job Name"},
    {0x90090000, "Print Data Info: Job Comment"},
    {0x91000000, "Print started"},
    {0x91010000, "Print finished"},
    {0x91020000, "Print cancelled"},
    {0x92000000, "Cleaning started"},
    {0x92010000, "Cleaning finished"},
    {0x00001030, "Warning Head Temp (K)"},
    {0x00001031, "Warning Head Temp (M)"},
    {0x00001032, "Warning Head Temp (C)"},
    {0x00001033, "Warning Head Temp (Y)"},
    {0x00001034, "Warning Head Temp (W1)"},
    {0x00001035, "Warning Head Temp (W2)"},
    {0x00001036, "Warning Head Temp (W3)"},
    {0x00001037, "Warning Head Temp (W4)"},
    {0x00001051, "Carriage Motor Life expired"},
    {0x00001060, "Lower Temperature than best print range"},
    {0x00001061, "Higher Temperature than best print range"},
    {0x00001100, "Tube Pump Life expired in MNT Unit "},
    {0x00001111, "Tube Cleaning requested (W1)"},
    {0x00001112, "Tube Cleaning requested (W2)"},
    {0x00001113, "Tube Cleaning requested (W3)"},
    {0x00001114, "Tube Cleaning requested (W4)"},
    {0x00001200, "Exchange Parts requested (Blinking)"},
    {0x00001201, "Exchange Parts expired (Error)"},
    {0x00001210, "Abnormal Exhaust Fan detected"},
    {0x00001220, "Exchange Filter requested (K)"},
    {0x00001221, "Exchange Filter requested (M)"},
    {0x00001222, "Exchange Filter requested (C)"},
    {0x00001223, "Exchange Filter requested (Y)"},
    {0x00002041, "No Wiper Cleaner (Color)"},
    {0x00002042, "No Wiper Cleaner (White)"},
    {0x00002050, "Lower Temperature than operation range"},
    {0x00002051, "Higher Temperature than operation range"},
    {0x00002062, "Stepped out in Platen Unloading"},
    {0x00002063, "Stepped out in Platen Loading"},
    {0x00002070, "Obstruction sensed on the Platen"},
    {0x00002102, "USB system not running"},
    {0x00003000, "Time-out in receiving command from PC"},
    {0x00003001, "Time-out in sending command from PC"},
    {0x00003002, "Illegal PC command"},
    {0x00003003, "Version Mismatch of PC command"},
    {0x00003004, "Illegal Checksum in Firmware Upgrade command"},
    {0x00003005, "Illegal Checksum in EEPROM Upgrade command"},
    {0x00003010, "MNT Command received unexpectedly"},
    {0x00003013, "PC needs termination by Job End Command"},
    {0x00003014, "Illegal length of PC command"},
    {0x00003100, "White Data sent to QX-710"},
    {0x00003101, "4-Head White Data sent to QX-730"},
    {0x00003400, "Illegal length of Print Data print command"},
    {0x00003401, "Undefined command in Print Data"},
    {0x00003402, "Illegal sequence 1 in Print Data"},
    {0x00003407, "No data in Print data"},
    {0x00003408, "Too large Job Size of Print Data"},
    {0x00003410, "Illegal sequence 4 in Print Data"},
    {0x00003411, "Illegal sequence 5 in Print Data"},
    {0x00003412, "No Job Start Command in Print Data"},
    {0x00004100, "Open File Error"},
    {0x00004101, "Create File Error"},
    {0x00004103, "Seek File Error"},
    {0x00004104, "Read File Error"},
    {0x00004105, "Write File Error"},
    {0x00004106, "Illegal Data File"},
    {0x00004108, "Failure to receive File Size"},
    {0x00004200, "No Message Data found"},
    {0x00004201, "Version Mismatch of Message Data"},
    {0x00004202, "Checksum Mismatch of Message Data"},
    {0x00004300, "No Font Data found"},
    {0x00004301, "Version Mismatch of Font Data"},
    {0x00004302, "Checksum Mismatch of Font Data"},
    {0x00004400, "No Test Print Data found"},
    {0x00004401, "Version Mismatch of Test Print Data"},
    {0x00004402, "Checksum Mismatch of Test Print Data"},
    {0x00004500, "Could not start Network Interface"},
    {0x00004501, "Illegal IP address or Subnet Mask"},
    {0x00004502, "Could not set Network Interface"},
    {0x00004503, "Illegal Default Gateway"},
    {0x00005001, "Time-out in receiving message from print control"},
    {0x00005002, "Illegal message from print control"},
    {0x00005020, "Time-out in CR move finish"},
    {0x00005090, "Cap Open Request timeout"},
    {0x00005091, "Cap Close Request timeout"},
    {0x00005092, "Wipe Command Request timeout (FWD)"},
    {0x00005093, "Wipe Command Request timeout (BWD)"},
    {0x00005094, "Platen Load Request timeout"},
    {0x00005095, "Platen Unload Request timeout"},
    {0x00005096, "LF move timeout"},
    {0x00005102, "Time-out in expanding Print Data"},
    {0x00005200, "Time-out in waiting MNT Unit response"},
    {0x00005201, "Format Error of MNT Unit response"},
    {0x00005230, "Command Send Error to MNT Unit"},
    {0x00005231, "Unmatched Response received from MNT Unit"},
    {0x00005232, "CRC Mismatched Response received from MNT Unit"},
    {0x00005233, "Illegal CRC Response received from MNT Unit"},
    {0x00005300, "Cannot open comm. Serial Port from MNT Unit"},
    {0x00005301, "Receiving Serial Error from MNT Unit"},
    {0x00005302, "Illegal MNT Sequence Data"},
    {0x00005401, "Too long Command to MNT Unit"},
    {0x00005402, "Illegal number of argument to MNT Unit"},
    {0x00005403, "Illegal string of argument to MNT Unit"},
    {0x00005404, "Out-of-spec number of argument to MNT Unit"},
    {0x00005405, "Illegal CRC to MNT Unit"},
    {0x00005406, "Undefined command to MNT Unit"},
    {0x00005411, "Illegal CRC from MNT Unit"},
    {0x00005412, "Overrun Error from MNT Unit"},
    {0x00005413, "Parity Error from MNT Unit"},
    {0x00005414, "Framing Error from MNT Unit"},
    {0x00005421, "Pump uninitialized"},
    {0x00005422, "Pump Sensor / Motor Error"},
    {0x00005431, "Caps uninitialized"},
    {0x00005432, "Cap Sensor / Motor Error"},
    {0x00005433, "Obstacle on Cap Error"},
    {0x00005434, "Wiper gets in the way of Cap Move"},
    {0x00005435, "Tube did not open in Cap Move"},
    {0x00005441, "Wiper uninitialized"},
    {0x00005442, "Wiper Sensor / Motor Error"},
    {0x00005443, "Caps get in the way of Wiper Move"},
    {0x00005451, "Write Error in FLASH ROM of MNT Unit"},
    {0x00005452, "Mismatching  FLASH ROM of MNT Unit"},
    {0x00005453, "Misdeleting  FLASH ROM of MNT Unit"},
    {0x00005454, "Illegal Record Serial in updated data of MNT Unit "},
    {0x00005455, "Illegal Data Record in updated data of MNT Unit "},
    {0x00005456, "Total Record Count mismatch in updated data of MNT Unit "},
    {0x00005457, "Checksum mismatch in updated data of MNT Unit "},
    {0x00005458, "FLASH Library Error of MNT Unit"},
    {0x00005471, "Send Error 1 Ink Sensor /MNT PCBs"},
    {0x00005472, "Send Error 2 Ink Sensor /MNT PCBs"},
    {0x00005473, "Send Error 3 Ink Sensor /MNT PCBs"},
    {0x00005474, "Unfinished Send Error Ink Sensor /MNT PCBs"},
    {0x00005475, "Receive Error 1 Ink Sensor /MNT PCBs"},
    {0x00005476, "Receive Error 2 Ink Sensor /MNT PCBs"},
    {0x00005477, "Receive Error 3 Ink Sensor /MNT PCBs"},
    {0x00005478, "Unfinished Receive Error Ink Sensor /MNT PCBs"},
    {0x00005491, "Internal Error in MNT Unit"},
    {0x00006004, "Installation Failure of Clearance Sensor"},
    {0x00006010, "Failure of writing EEPROM in Main PCB"},
    {0x00006011, "Failure of deleting FLASH ROM in Main PCB"},
    {0x00006012, "Failure of writing FLASH ROM in Main PCB"},
    {0x00006031, "Panel Button Malfunction (Platen Button)"},
    {0x00006032, "Panel Button Malfunction (Print Button)"},
    {0x00006033, "Panel Button Malfunction (Cancel Button)"},
    {0x00006034, "Panel Button Malfunction (Back Button)"},
    {0x00006035, "Panel Button Malfunction (OK Button)"},
    {0x00006036, "Panel Button Malfunction (Down Button)"},
    {0x00006037, "Panel Button Malfunction (Up Button)"},
    {0x00006038, "Panel Button Malfunction (Head Cleaning Button)"},
    {0x00006100, "Speed Error in illegal CR move test"},
    {0x00006101, "CR move does not finish"},
    {0x00006102, "CR Stop Position Error (except printing)"},
    {0x00006103, "CR Stop Position Error (in printing)"},
    {0x00006104, "CR Time-out while printing"},
    {0x00006105, "Flushing Time-out"},
    {0x00006106, "Sensor not OFF when CR returns to origin"},
    {0x00006107, "Sensor not ON when CR returns to origin"},
    {0x00006108, "CR return to origin abnormally finished"},
    {0x00006109, "Adjustment failure of CR Speed"},
    {0x00006110, "Adjustment failure of CR Speed: LF mode (R)"},
    {0x00006111, "Adjustment failure of CR Speed: LF mode (F)"},
    {0x00006112, "Adjustment failure of CR Speed: slow LF mode (R)"},
    {0x00006113, "Adjustment failure of CR Speed: slow LF mode (F)"},
    {0x00006114, "Abnormal slow down of CR Speed"},
    {0x00006120, "Abnormal Head Temp (K)"},
    {0x00006121, "Abnormal Head Temp (M)"},
    {0x00006122, "Abnormal Head Temp (C)"},
    {0x00006123, "Abnormal Head Temp (Y)"},
    {0x00006124, "Abnormal Head Temp (W1)"},
    {0x00006125, "Abnormal Head Temp (W2)"},
    {0x00006126, "Abnormal Head Temp (W3)"},
    {0x00006127, "Abnormal Head Temp (W4)"},
    {0x00006134, "Abnormal Head Voltage"},
    {0x00006154, "Head Temp Detection Circuit Failure"},
    {0x00006160, "Thermistor Failure"},
    {0x00007000, "System Call Error"},
    {0x00007013, "General Program Error"},
    {0x00007014, "Could not receive Print Data without buffer"},
    {0x00007015, "Could not receive next Print Data while printing"},
    {0x99990000, "Unknown LogCode"},
};

TEST(FirmLogCodeTest, EveryRowMatchesTheListInOrder) {
    const auto rows = CFirmLogCode::Rows();
    ASSERT_EQ(rows.size(), std::size(kExpected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].code, kExpected[i].code);
        EXPECT_EQ(rows[i].english, kExpected[i].english);
    }
    EXPECT_EQ(rows.back().japanese, "Unknown LogCode");
}

TEST(FirmLogCodeTest, FamiliesAreOrderedAndJapaneseTextsAreOwnAndSafeForCsv) {
    const auto rows = CFirmLogCode::Rows();
    std::size_t events = 0;
    std::size_t errors = 0;
    std::set<std::uint32_t> seen;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].english);
        EXPECT_TRUE(seen.insert(rows[i].code).second) << "duplicate code";
        if ((rows[i].code & 0xFFFF) == 0) {
            EXPECT_EQ(errors, 0U) << "event code after the warning and error codes";
            ++events;
        } else {
            EXPECT_EQ(rows[i].code >> 16, 0U);
            ++errors;
        }
        if (i > 0 && ((rows[i - 1].code & 0xFFFF) == 0) == ((rows[i].code & 0xFFFF) == 0)) {
            EXPECT_LT(rows[i - 1].code, rows[i].code);
        }
        // A CSV line carries the description unquoted.
        EXPECT_EQ(rows[i].japanese.find(','), std::string::npos);
        EXPECT_EQ(rows[i].english.find(','), std::string::npos);
        EXPECT_FALSE(rows[i].japanese.empty());
        EXPECT_NE(rows[i].japanese, rows[i].english) << "Japanese text missing";
    }
    EXPECT_EQ(events, 160U);
    EXPECT_EQ(errors, 169U);
}

TEST(FirmLogCodeTest, JapaneseTextsShareOneStyle) {
    const auto rows = CFirmLogCode::Rows();
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        const std::string& text = rows[i].japanese;
        SCOPED_TRACE(rows[i].english);
        // Noun endings throughout: no polite or plain sentence endings.
        for (const char* ending :
             {"ます", "ません", "ました", "でした", "ください", "です", "ない"}) {
            EXPECT_FALSE(text.ends_with(ending)) << text;
        }
        EXPECT_EQ(text.find("攪"), std::string::npos) << text;
        // Parts that reached their life say so, not just name the life.
        if (rows[i].english.find("Life expired") != std::string::npos) {
            EXPECT_NE(text.find("寿命に到達"), std::string::npos) << text;
        }
    }
    // The IP address is assigned, in the log as on the pages that ask for it.
    const std::string_view assigned = CFirmLogCode().Describe(0x20650000, kJapanese);
    std::string page;
    ASSERT_EQ(LoadLocalString(kJapanese, 129, page), 0);
    EXPECT_NE(assigned.find("割り当て"), std::string_view::npos) << assigned;
    EXPECT_NE(page.find("割り当て"), std::string::npos) << page;
}

// The lookup must answer exactly what a walk from the first row would.
std::string_view WalkLookup(std::uint32_t code, LanguageId language) {
    for (const auto& row : CFirmLogCode::Rows()) {
        if (row.code == code || row.code == kUnknownLogCode) {
            return language == kJapanese ? row.japanese : row.english;
        }
    }
    return {};
}

TEST(FirmLogCodeTest, LookupAgreesWithAWalkFromTheTop) {
    const CFirmLogCode table;
    std::vector<std::uint32_t> codes{0, 1, 0xFFFFFFFF, kUnknownLogCode, 0x00010001, 0x10000001};
    for (const auto& row : CFirmLogCode::Rows()) {
        codes.push_back(row.code);
        codes.push_back(row.code + 1);
        codes.push_back(row.code - 1);
    }
    std::mt19937 random(7);
    for (int i = 0; i < 10000; ++i) {
        codes.push_back(static_cast<std::uint32_t>(random()));
    }
    for (const std::uint32_t code : codes) {
        for (const LanguageId language : {kEnglish, kJapanese, LanguageId{2052}}) {
            std::string text = "x";
            table.Lookup(text, code, language);
            ASSERT_EQ(text, "x" + std::string(WalkLookup(code, language))) << std::hex << code;
        }
    }
    std::string unknown;
    table.Lookup(unknown, 0x00001062, kJapanese);
    EXPECT_EQ(unknown, "Unknown LogCode");
}

TEST(FirmLogCodeTest, ParseRejectsMalformedTablesWithTheirLine) {
    int line = 0;
    EXPECT_TRUE(CFirmLogCode::Parse("# c\n\n0x99990000 \"Unknown LogCode\" \"Unknown LogCode\"\n"));
    EXPECT_FALSE(CFirmLogCode::Parse("0x00010000 \"Power ON\" \"x\"\n", &line));
    EXPECT_EQ(line, 1);  // no terminator
    EXPECT_FALSE(CFirmLogCode::Parse("0x1 \"a\" \"b\"\n0x2 \"a\"\n", &line));
    EXPECT_EQ(line, 2);
    EXPECT_FALSE(CFirmLogCode::Parse("0xZZ \"a\" \"b\"\n", &line));
    EXPECT_FALSE(CFirmLogCode::Parse("0x1 \"a \"b\"\n", &line));
    EXPECT_FALSE(CFirmLogCode::Parse("0x1 \"a\" \"b\" extra\n", &line));
    EXPECT_FALSE(CFirmLogCode::Parse("0x1 \"a\\q\" \"b\"\n", &line));
    const auto escaped = CFirmLogCode::Parse("0x99990000 \"Unknown\\tLog\\\"Code\" \"\\\\\"\r\n");
    ASSERT_TRUE(escaped);
    EXPECT_EQ((*escaped)[0].english, "Unknown\tLog\"Code");
    EXPECT_EQ((*escaped)[0].japanese, "\\");
}

TEST(FirmLogCodeTest, BuiltInDataParsesCleanly) {
    const auto bytes = res::Find("codes/firm_log_codes.txt");
    ASSERT_TRUE(bytes);
    int line = 0;
    const auto rows = CFirmLogCode::Parse(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), &line);
    ASSERT_TRUE(rows) << "line " << line;
    EXPECT_EQ(rows->size(), 330U);
}

}  // namespace
}  // namespace qx7
