// parseNumber and formatFixed against the C library in the classic locale,
// which is what the form's texts must read and look like in every language.
#include "number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

namespace {

// glibc's strtod in the "C" locale: the reference for every decimal form.
double referenceParse(const char* text, const char** end) {
    char* stop = nullptr;
    double value = std::strtod(text, &stop);
    *end = stop;
    return value;
}

std::string referenceFormat(double value, int decimals) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

void expectSameAsReference(const char* text) {
    const char* end = nullptr;
    const char* referenceEnd = nullptr;
    const double value = parseNumber(text, &end);
    const double expected = referenceParse(text, &referenceEnd);
    if (std::isnan(expected)) {
        FAIL() << "reference gave NaN for " << text;
    }
    EXPECT_EQ(value, expected) << '"' << text << '"';
    EXPECT_EQ(std::signbit(value), std::signbit(expected)) << '"' << text << '"';
    EXPECT_EQ(end - text, referenceEnd - text) << '"' << text << '"';
}

}  // namespace

TEST(ParseNumber, DecimalFormsReadAsStrtodReadsThem) {
    for (const char* text : {"0",
                             "35",
                             "35.5",
                             "-7.25",
                             "+.5",
                             "-.5",
                             "5.",
                             "  \t\n12 dbar",
                             "1.234.5",
                             "1e3",
                             "1E-3",
                             "2.5e+2x",
                             "1e",
                             "1e+",
                             "1e-x",
                             "007",
                             "-0",
                             "-0.0",
                             "0.1",
                             "0.30000000000000004",
                             "123456789012345678901234567890",
                             "1.7976931348623157e308",
                             "4.9406564584124654e-324",
                             "2.2250738585072014e-308",
                             "1e400",
                             "-1e400",
                             "1e-400",
                             "-1e-400",
                             "0e999999999",
                             "1e-99999999999",
                             "9007199254740993",
                             "1025.5",
                             "1234567890123456789"}) {
        expectSameAsReference(text);
    }
}

TEST(ParseNumber, TextsWithoutALeadingNumberReadAsZeroAndConsumeNothing) {
    for (const char* text : {"", " ", "abc", ".", "-", "+", ".e5", "e5", "- 5", "--5", ",5"}) {
        const char* end = nullptr;
        EXPECT_EQ(parseNumber(text, &end), 0.0) << '"' << text << '"';
        EXPECT_EQ(end, text) << '"' << text << '"';
    }
}

TEST(ParseNumber, NoHexadecimalInfinityOrNotANumber) {
    // strtod would read these as 26, infinity and NaN; the form reads only decimals.
    const struct {
        const char* text;
        double value;
        long consumed;
    } cases[] = {{"0x1A", 0.0, 1}, {"0X10", 0.0, 1},   {"inf", 0.0, 0},  {"-infinity", 0.0, 0},
                 {"nan", 0.0, 0},  {"NAN(1)", 0.0, 0}, {"1.5p3", 1.5, 3}};
    for (const auto& c : cases) {
        const char* end = nullptr;
        EXPECT_EQ(parseNumber(c.text, &end), c.value) << c.text;
        EXPECT_EQ(end - c.text, c.consumed) << c.text;
    }
}

TEST(ParseNumber, RandomNumbersRoundTripLikeStrtod) {
    std::mt19937_64 random(20260108);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-320, 307), digits(1, 20);
    for (int i = 0; i < 20000; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "%.*e", digits(random), mantissa(random) * std::pow(10.0, exponent(random)));
        expectSameAsReference(text);
        std::snprintf(text, sizeof text, "%.*f", digits(random) % 8, mantissa(random) * 1e4);
        expectSameAsReference(text);
    }
}

TEST(FormatFixed, SameTextAsPrintf) {
    for (double value : {0.0, -0.0, 1.0, 35.0, 0.125, 0.375, 2.5, -2.5, 1025.974321, 9e15, -999999.0, 1e300, 5e-324,
                         1.0 / 3.0, 2.348785, 48.853402, 0.005, 0.015, 1.005}) {
        for (int decimals : {0, 2, 5, 6}) {
            EXPECT_EQ(formatFixed(value, decimals), referenceFormat(value, decimals)) << value << " " << decimals;
        }
    }
}

TEST(FormatFixed, InfinityAndNotANumber) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double value : {inf, -inf, nan, -nan}) {
        EXPECT_EQ(formatFixed(value, 5), referenceFormat(value, 5));
    }
}

TEST(FormatFixed, RandomValuesAsPrintf) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> value(-2000.0, 2000.0);
    for (int i = 0; i < 20000; ++i) {
        const double v = value(random);
        for (int decimals : {2, 5, 6}) {
            ASSERT_EQ(formatFixed(v, decimals), referenceFormat(v, decimals)) << v;
        }
    }
}
