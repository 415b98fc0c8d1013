// Numbers as text against the C library in the classic locale, which is what
// the form's texts and the command line's numbers must read and look like in
// every language: the general reader, the window's lenient reading and the
// command line's strict one, and the fixed and significant-digit writing.
#include "number_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
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
    for (const char* text : {"", " ", "abc", ".", "-", "+", "-.", "+.e5", ".e5", "e5", "- 5", "--5", ",5"}) {
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

// ---- Exactness over many values ------------------------------------------------------------------

namespace {

// The doubles that try a reader and a writer hardest, in turn: any bit pattern
// (NaN and infinity too), ties (an odd number over 2^j is half way at j - 1
// decimals) and their neighbours, subnormals, huge ones, the values of a batch.
double adversarialValue(std::mt19937_64& random, int i) {
    const std::uint64_t bits = random();
    const double tie = std::ldexp(static_cast<double>((bits >> 24) | 1), -static_cast<int>(bits % 13) - 1);
    const double kinds[] = {std::bit_cast<double>(bits),
                            tie,
                            std::nextafter(tie, bits % 2 ? 0.0 : 1.0),
                            std::bit_cast<double>(bits & 0x800FFFFFFFFFFFFFu),
                            std::ldexp(static_cast<double>(bits >> 11), static_cast<int>(bits % 1000) - 60),
                            static_cast<double>(static_cast<std::int64_t>(bits % 2000000000) - 1000000000) / 1e5};
    return kinds[i % std::size(kinds)];
}

// A text of a finite double as files and people write numbers: fixed, with an
// exponent, long, or the exact decimal half way between two doubles (a long
// double holds it), whole or cut short.
std::string adversarialText(std::mt19937_64& random, int i) {
    double value = adversarialValue(random, i / 4);
    if (!std::isfinite(value)) value = 1.0;
    const auto between = (static_cast<long double>(value) + std::nextafter(value, 2 * value)) / 2;
    char text[1000];
    if (i % 4 == 0)
        std::snprintf(text, sizeof text, "%.*f", static_cast<int>(random() % 20), value);
    else if (i % 4 == 1)
        std::snprintf(text, sizeof text, "%.*e", static_cast<int>(random() % 25), value);
    else
        std::snprintf(text, sizeof text, "%.*Le", i % 4 == 2 ? 780 : 17 + static_cast<int>(random() % 30), between);
    return text;
}

}  // namespace

TEST(Exactness, EveryFixedTextIsPrintfs) {
    // The edges of the integer path, a tie of 10 digits, values the engine's limits and a batch show.
    for (double value : {0x1p-11, 0x1.fffffffffffffp-12, 0x1p52, 0x1.fffffffffffffp51, 0x1p63, 0x1p64, 999999999.5,
                         4.9999999999999996e-7, 12345.678949999999, 1082.71524, 0.0, -0.0})
        for (int decimals = 0; decimals <= 20; ++decimals)
            EXPECT_EQ(formatFixed(value, decimals), referenceFormat(value, decimals)) << value << " " << decimals;
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 300000; ++i) {
        const double value = adversarialValue(random, i);
        const int decimals = static_cast<int>(random() % 21);
        ASSERT_EQ(formatFixed(value, decimals), referenceFormat(value, decimals))
            << std::hexfloat << value << " " << decimals;
    }
}

// Every number read is the correctly rounded double, whichever decimal point it has.
TEST(Exactness, EveryNumberReadIsStrtods) {
    std::mt19937_64 random(20261209);
    for (int i = 0; i < 60000; ++i) {
        std::string text = adversarialText(random, i);
        const char* referenceEnd = nullptr;
        const double expected = referenceParse(text.c_str(), &referenceEnd);
        const char* end = nullptr;
        const double read = parseNumber(text.c_str(), &end);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(read), std::bit_cast<std::uint64_t>(expected)) << text;
        ASSERT_EQ(end, referenceEnd) << text;
        std::replace(text.begin(), text.end(), '.', ',');
        double strict = 0;
        if (std::isinf(expected)) {
            EXPECT_STREQ(readDecimal(text, strict), "too large") << text;
            continue;
        }
        ASSERT_EQ(readDecimal(text, strict), nullptr) << text;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(strict), std::bit_cast<std::uint64_t>(expected)) << text;
    }
}

TEST(Numbers, ShortestDigits) {
    char buffer[kMaxNumber];
    EXPECT_EQ(std::string(buffer, putShortest(buffer, 2.348785)), "2.348785");
    EXPECT_EQ(std::string(buffer, putShortest(buffer, -2.000000000000001)), "-2.000000000000001");
}
