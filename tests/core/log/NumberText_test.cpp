#include "core/log/NumberText.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace qx7 {
namespace {

std::string Decimal(std::int64_t value, std::size_t width) {
    char text[kMaxNumberText + 1];
    return std::string(text, PutDecimal(text, value, width));
}

std::string Hex(std::uint32_t value, std::size_t width) {
    char text[kMaxNumberText + 1];
    return std::string(text, PutHex(text, value, width));
}

std::string Two(int value) {
    char text[kMaxNumberText + 1];
    return std::string(text, PutTwo(text, value));
}

std::string PrintfDecimal(std::int64_t value, std::size_t width) {
    char text[64];
    const int length =
        std::snprintf(text, sizeof text, "%0*" PRId64, static_cast<int>(width), value);
    return std::string(text, static_cast<std::size_t>(length));
}

std::string PrintfHex(std::uint32_t value, std::size_t width) {
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%0*X", static_cast<int>(width), value);
    return std::string(text, static_cast<std::size_t>(length));
}

// Values at every digit count and sign, the type limits, and a spread of random ones.
std::vector<std::int64_t> DecimalSamples() {
    std::vector<std::int64_t> values{
        0, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(),
        std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    // Up to 10^18, the largest power of ten the type holds (the next step would overflow).
    for (std::int64_t power = 1;; power *= 10) {
        for (const std::int64_t near : {power - 1, power, power + 1}) {
            values.push_back(near);
            values.push_back(-near);
        }
        if (power > std::numeric_limits<std::int64_t>::max() / 10) {
            break;
        }
    }
    std::mt19937_64 random(11);
    for (int i = 0; i < 20000; ++i) {
        const auto bits = static_cast<int>(random() % 63);  // bits + 1 stays a valid shift
        values.push_back(static_cast<std::int64_t>(random() >> bits));
        values.push_back(-static_cast<std::int64_t>(random() >> (bits + 1)));
    }
    return values;
}

TEST(NumberTextTest, DecimalIsWhatPrintfWritesForEveryWidth) {
    for (const std::int64_t value : DecimalSamples()) {
        for (const std::size_t width : {0U, 1U, 2U, 4U, 6U, 7U, 12U, 20U}) {
            ASSERT_EQ(Decimal(value, width), PrintfDecimal(value, width))
                << value << " width " << width;
        }
    }
}

TEST(NumberTextTest, HexIsWhatPrintfWritesForEveryWidth) {
    std::vector<std::uint32_t> values{0, 0xFFFFFFFF, 0x80000000, 0x99990000};
    for (int shift = 0; shift < 32; ++shift) {
        values.push_back(1U << shift);
        values.push_back((1U << shift) - 1);
    }
    std::mt19937 random(5);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(static_cast<std::uint32_t>(random()) >> (random() % 32));
    }
    for (const std::uint32_t value : values) {
        for (const std::size_t width : {0U, 1U, 3U, 4U, 8U, 10U}) {
            ASSERT_EQ(Hex(value, width), PrintfHex(value, width)) << value << " width " << width;
        }
    }
}

TEST(NumberTextTest, TwoDigitsAsPrintfAlsoOutsideTheClocksRange) {
    for (int value = -1000; value <= 1000; ++value) {
        ASSERT_EQ(Two(value), PrintfDecimal(value, 2)) << value;
    }
    for (const int value : {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
        EXPECT_EQ(Two(value), PrintfDecimal(value, 2));
    }
}

}  // namespace
}  // namespace qx7
