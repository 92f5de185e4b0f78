#include "core/app/ThermistorCalibration.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/app/QVJServToolApp.h"
#include "core/comm/PrinterLink.h"
#include "support/FakeSleeper.h"
#include "support/FakeSpooler.h"
#include "support/RecordingMessageSink.h"

namespace qx7 {
namespace {

const std::string kCommunication =
    "Communication Error.\nCheck Connection and try again.\nIf another Communication Error "
    "occurs, QX-7 Printer needs restart.\nTurn QX-7 Printer OFF and ON and try again.";
const std::string kRefused =
    "The input value is far from the present temperature.\nInput the appropriate value.";

TEST(ThermistorUnitsTest, DerivedValuesAreCutToTwoDecimals) {
    EXPECT_EQ(FahrenheitFromCelsius(25), 77);
    EXPECT_EQ(CelsiusFromFahrenheit(70), 21.11);  // 21.111... cut, not rounded
    EXPECT_EQ(CelsiusFromFahrenheit(68), 20);
    EXPECT_EQ(CelsiusFromFahrenheit(7), -13.88);  // toward zero below zero too
    EXPECT_EQ(FahrenheitFromCelsius(-40), -40);
    EXPECT_EQ(FahrenheitFromCelsius(21.117), 70.01);
    // Far-out readings stay finite, so the edit never shows "inf".
    EXPECT_TRUE(std::isfinite(FahrenheitFromCelsius(1e308)));
    EXPECT_TRUE(std::isfinite(CelsiusFromFahrenheit(-1e308)));
}

TEST(ThermistorUnitsTest, WholeFahrenheitAndItsRange) {
    EXPECT_EQ(WholeFahrenheit(9.7, false), 49);
    EXPECT_EQ(WholeFahrenheit(35.2, false), 95);
    EXPECT_EQ(WholeFahrenheit(95.4, true), 95);
    EXPECT_EQ(WholeFahrenheit(95.5, true), 96);
    EXPECT_EQ(WholeFahrenheit(49.5, true), 50);
    EXPECT_EQ(WholeFahrenheit(-0.7, true), 0);  // trunc(-0.2)
    EXPECT_EQ(WholeFahrenheit(1e300, true), 1000000000);
    EXPECT_EQ(WholeFahrenheit(-1e300, false), -1000000000);
    EXPECT_FALSE(IsCalibrationTemperatureInRange(49));
    EXPECT_TRUE(IsCalibrationTemperatureInRange(50));
    EXPECT_TRUE(IsCalibrationTemperatureInRange(95));
    EXPECT_FALSE(IsCalibrationTemperatureInRange(96));
}

class ThermistorPageTest : public ::testing::Test {
  protected:
    ThermistorPageTest() {
        spooler.Add("QX-7 A");
        app.Printer().SetServices(&spooler, &sleeper, &clock);
        app.Printer().SetSelectedPrinter("QX-7 A");
    }
    // The texts after the page applied an update.
    static void Apply(const ThermistorUnitUpdate& update, ThermistorTexts& texts) {
        if (update.celsiusText) {
            texts.celsius = *update.celsiusText;
        }
        if (update.fahrenheitText) {
            texts.fahrenheit = *update.fahrenheitText;
        }
    }
    // The temperatures of the jobs sent.
    std::vector<int> SentTemperatures() const {
        std::vector<int> sent;
        for (const auto& job : spooler.jobs) {
            sent.push_back(job[2472] << 8 | job[2473]);
        }
        return sent;
    }

    test::FakeSpooler spooler;
    test::FakeSleeper sleeper;
    test::SteppingClock clock{1700000000};
    test::RecordingMessageSink sink;
    CQVJServToolApp app{sink};
    ThermistorValues values;
};

TEST_F(ThermistorPageTest, TypingInEitherUnitUpdatesTheOtherAndSettles) {
    ThermistorTexts texts{"20", "68"};
    ThermistorUnitUpdate update = UpdateThermistorUnits(false, texts, values);
    EXPECT_FALSE(update.fahrenheitEnabled);
    EXPECT_FALSE(update.celsiusText || update.fahrenheitText);  // already in step

    texts.celsius = "25";
    update = UpdateThermistorUnits(false, texts, values);
    EXPECT_FALSE(update.celsiusText);
    EXPECT_EQ(update.fahrenheitText, "77");
    Apply(update, texts);
    // The write fires another change event, which changes nothing more.
    update = UpdateThermistorUnits(false, texts, values);
    EXPECT_FALSE(update.celsiusText || update.fahrenheitText);

    // Switching to Fahrenheit enables its edit and derives Celsius from it.
    texts.fahrenheit = "70";
    update = UpdateThermistorUnits(true, texts, values);
    EXPECT_TRUE(update.fahrenheitEnabled);
    EXPECT_EQ(update.celsiusText, "21.11");
    EXPECT_FALSE(update.fahrenheitText);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(ThermistorPageTest, TheTypedEditKeepsItsTextWhileItReadsAsANumber) {
    // Typed key by key: "9." must stay, or the next key would make "97" of "9.7".
    ThermistorTexts texts{"9.", "68"};
    ThermistorUnitUpdate update = UpdateThermistorUnits(false, texts, values);
    EXPECT_FALSE(update.celsiusText);
    EXPECT_EQ(update.fahrenheitText, "48.2");
    texts = {"9.7", "48.2"};
    update = UpdateThermistorUnits(false, texts, values);
    EXPECT_FALSE(update.celsiusText);
    EXPECT_EQ(update.fahrenheitText, "49.46");
    // The derived edit is put in the general form, whatever it showed.
    texts = {"49.460", "07"};
    update = UpdateThermistorUnits(true, texts, values);
    EXPECT_FALSE(update.fahrenheitText);
    EXPECT_EQ(update.celsiusText, "-13.88");
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(ThermistorPageTest, ANonNumberWhileTypingConvertsNothingAndSaysNothing) {
    ThermistorTexts texts{"25", "77"};
    UpdateThermistorUnits(false, texts, values);
    for (const char* typed : {"25x", "-", "1e", "."}) {
        texts.celsius = typed;
        const ThermistorUnitUpdate update = UpdateThermistorUnits(false, texts, values);
        EXPECT_FALSE(update.celsiusText || update.fahrenheitText) << typed;
        EXPECT_FALSE(update.fahrenheitEnabled) << typed;
        EXPECT_EQ(values.celsius, 25) << typed;
        EXPECT_EQ(values.fahrenheit, 77) << typed;
    }
    EXPECT_TRUE(sink.shown.empty());
    // Next is where it is said.
    const ThermistorNextResult next = ThermistorCalibrationNext(app, false, texts, values);
    EXPECT_EQ(next.page, -1);
    EXPECT_EQ(sink.shown, std::vector<std::string>{"Enter a number."});
}

TEST_F(ThermistorPageTest, CelsiusIsReadFirstAndTheFirstBadTextStopsTheReading) {
    EXPECT_EQ(ThermistorTextsFrom(values).celsius, "20");
    EXPECT_EQ(ThermistorTextsFrom(values).fahrenheit, "68");
    EXPECT_FALSE(ReadThermistorTexts({"x", "80"}, values, app.GetMessages()));
    EXPECT_EQ(values.fahrenheit, 68);  // not read after the failure
    EXPECT_FALSE(ReadThermistorTexts({"30", "y"}, values, app.GetMessages()));
    EXPECT_EQ(values.celsius, 30);
    EXPECT_EQ(sink.shown, std::vector<std::string>(2, "Enter a number."));
}

TEST_F(ThermistorPageTest, AnEmptyEditConvertsNothingAndNextStays) {
    ThermistorTexts texts{"", "68"};
    const ThermistorUnitUpdate update =
        UpdateThermistorUnits(false, texts, values);
    EXPECT_FALSE(update.celsiusText || update.fahrenheitText);
    EXPECT_TRUE(sink.shown.empty());

    const ThermistorNextResult next = ThermistorCalibrationNext(app, false, texts, values);
    EXPECT_EQ(next.page, -1);
    EXPECT_FALSE(next.tempUnit);  // nothing stored before the edits read well
    EXPECT_EQ(sink.shown, std::vector<std::string>{"Enter a number."});
    EXPECT_TRUE(spooler.jobs.empty());
}

TEST_F(ThermistorPageTest, NextChecksTheRangeBeforeSending) {
    app.GoNext(136);
    const struct {
        bool fahrenheit;
        ThermistorTexts texts;
        int t;
    } outside[] = {{false, {"9.7", "49.46"}, 49},
                   {true, {"35.83", "96.5"}, 97},
                   {true, {"37.77", "100"}, 100},
                   {false, {"1e300", "68"}, 1000000000}};
    for (const auto& c : outside) {
        sink.shown.clear();
        const ThermistorNextResult next =
            ThermistorCalibrationNext(app, c.fahrenheit, c.texts, values);
        EXPECT_EQ(next.page, -1);
        EXPECT_EQ(next.temperature, c.t);
        EXPECT_EQ(next.tempUnit, c.fahrenheit ? kTempUnitFahrenheit : kTempUnitCelsius);
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0],
                  "Input Temperature is out of range.(-61) (" + std::to_string(c.t) + " F)");
    }
    EXPECT_TRUE(spooler.jobs.empty());
    EXPECT_EQ(app.History(), std::vector<int>{136});
}

TEST_F(ThermistorPageTest, AcceptedValueIsSentAndTheRoadGoesOn) {
    app.GoNext(136);
    spooler.QueueReply(test::FakeSpooler::MakeReply(0x29, 0));
    ThermistorNextResult next = ThermistorCalibrationNext(app, false, {"35.2", "95.36"}, values);
    EXPECT_EQ(next.page, 147);
    EXPECT_EQ(next.temperature, 95);
    EXPECT_EQ(SentTemperatures(), std::vector<int>{95});
    EXPECT_EQ(app.History(), (std::vector<int>{136, 147}));

    app.SetOperation(5);
    spooler.QueueReply(test::FakeSpooler::MakeReply(0x29, 0));
    next = ThermistorCalibrationNext(app, true, {"23.88", "75"}, values);
    EXPECT_EQ(next.page, 257);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(ThermistorPageTest, RefusalShows122AndOtherFailuresTheCommunicationError) {
    spooler.QueueReply(test::FakeSpooler::MakeReply(0x29, 1));
    ThermistorNextResult next = ThermistorCalibrationNext(app, true, {"20", "68"}, values);
    EXPECT_EQ(next.page, -1);
    EXPECT_EQ(next.tempUnit, kTempUnitFahrenheit);
    // No reply at all is no refusal: the printer never saw the value.
    next = ThermistorCalibrationNext(app, true, {"20", "68"}, values);
    EXPECT_EQ(next.page, -1);
    spooler.printers[0].ready.bytes[0] = 1;
    ThermistorCalibrationNext(app, true, {"20", "68"}, values);
    EXPECT_EQ(sink.shown, (std::vector<std::string>{kRefused, kCommunication + " (-31)",
                                                    kCommunication + " (-20)"}));
    EXPECT_TRUE(app.History().empty());
}

TEST_F(ThermistorPageTest, DemoModeSendsNothing) {
    app.Start("/opt/qx7/qx7-demo", "", kEnglish);
    const ThermistorNextResult next = ThermistorCalibrationNext(app, true, {"20", "68"}, values);
    EXPECT_EQ(next.page, 147);
    EXPECT_TRUE(spooler.calls.empty());
}

}  // namespace
}  // namespace qx7
