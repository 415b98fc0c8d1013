// Numbers as text against the C library in the classic locale, which is what
// the form's texts and the command line's numbers must read and look like in
// every language: the general reader, the window's lenient reading and the
// command line's strict one, and the fixed and significant-digit writing.
#include "number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

using namespace thalwen;

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

// The window reads a field's leading number; the command line wants the whole
// text to be one number. Both take a comma for the decimal point.
TEST(ReadLeadingNumber, CommaAsDecimalPointAndTheLeadingNumberOnly) {
    const struct {
        const char* text;
        double value;
    } cases[] = {{"35,5", 35.5}, {"1,234,5", 1.234}, {"12 dbar", 12.0}, {"abc", 0.0},   {" -7,5e1", -75.0},
                 {",25", 0.25},  {"1e", 1.0},        {"-", 0.0},        {"1.5,2", 1.5}, {"0x1A", 0.0}};
    for (const auto& c : cases) EXPECT_EQ(readLeadingNumber(c.text), c.value) << c.text;
}

TEST(ReadDecimal, AcceptsWholeNumbersOnly) {
    double value = 0;
    EXPECT_EQ(readDecimal(" 7 ", value), nullptr);
    EXPECT_EQ(value, 7.0);
    EXPECT_EQ(readDecimal("1,5", value), nullptr);
    EXPECT_EQ(value, 1.5);
    EXPECT_EQ(readDecimal("-2.5e-3", value), nullptr);
    EXPECT_EQ(value, -2.5e-3);
    EXPECT_EQ(readDecimal("-2,5e-3", value), nullptr);
    EXPECT_EQ(value, -2.5e-3);
    EXPECT_EQ(readDecimal("-0", value), nullptr);
    EXPECT_TRUE(std::signbit(value));
    EXPECT_EQ(readDecimal(".5", value), nullptr);
    EXPECT_EQ(value, 0.5);
    for (const char* bad : {"1.2.3", "1,2,3", "+", ".", "1e", "0x10", "12 3", "--1", "infinity"})
        EXPECT_NE(readDecimal(bad, value), nullptr) << bad;
    EXPECT_STREQ(readDecimal("-1e400", value), "too large");
    EXPECT_STREQ(readDecimal(" \t", value), "empty value");
}

// Plain decimals skip the general parser; they must give the very same doubles.
TEST(ReadDecimal, PlainDecimalsReadAsTheGeneralParserReadsThem) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> magnitude(-12, 12);
    for (int i = 0; i < 20000; ++i) {
        double x = std::pow(10.0, magnitude(random)) * (i % 2 ? -1 : 1);
        char text[64];
        auto [end, error] = std::to_chars(text, text + 63, x, std::chars_format::fixed, i % 18);
        ASSERT_EQ(error, std::errc());
        *end = '\0';
        double fast = 0;
        ASSERT_EQ(readDecimal(text, fast), nullptr) << text;
        EXPECT_EQ(fast, parseNumber(text)) << text;
    }
}

namespace {

std::string fixed(double value, int decimals) {
    char buffer[kMaxNumber];
    return std::string(buffer, putFixed(buffer, value, decimals));
}

std::string generalFixed(double value, int decimals) {
    char buffer[kMaxNumber];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, end);
}

}  // namespace

TEST(Numbers, FixedDigitsMatchTheGeneralConversion) {
    // Ties and their neighbours, signs, zero, the scale limit of the short path.
    for (double x : {0.125, 0.375, 2.5, 3.5, 1.005, -0.001, -0.0, 0.0, 999999999.5, 1e9, 12345.678949999999, 1082.71524,
                     -180.0, 4.9999999999999996e-7, 1e300})
        for (int decimals = 0; decimals <= 8; ++decimals)
            EXPECT_EQ(fixed(x, decimals), generalFixed(x, decimals)) << x << " " << decimals;
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> magnitude(-9, 10);
    for (int i = 0; i < 100000; ++i) {
        double x = std::pow(10.0, magnitude(random)) * (i % 3 ? 1 : -1);
        int decimals = i % 9;
        ASSERT_EQ(fixed(x, decimals), generalFixed(x, decimals)) << x << " " << decimals;
    }
    EXPECT_EQ(fixed(0.125, 2), "0.12");  // as printf: the exact binary value, ties to even
    EXPECT_EQ(fixed(-0.001, 2), "-0.00");
}

TEST(Numbers, ShortestDigits) {
    char buffer[kMaxNumber];
    EXPECT_EQ(std::string(buffer, putShortest(buffer, 2.348785)), "2.348785");
    EXPECT_EQ(std::string(buffer, putShortest(buffer, -2.000000000000001)), "-2.000000000000001");
}
