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
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

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

// ---- Numbers in a batch's own buffers ------------------------------------------------------------

namespace {

// text at the start of a buffer just kPadding bytes longer, the padding
// digits and points: a reader that looks past the text's end reads another number.
std::vector<char> padded(const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    for (std::size_t i = 0; i < kPadding; ++i) buffer.push_back("98.7,6"[i % 6]);
    return buffer;
}

double tenTo(int power) {
    double value = 1;
    for (int i = 0; i < power; ++i) value *= 10;  // exact up to 10^22
    return value;
}

// A plain decimal of 1 to 17 digits, the point anywhere or nowhere, or a
// value that tries the rounding hardest written with up to 16 decimals;
// either sign, either decimal point.
std::string plainDecimal(std::mt19937_64& random, int i) {
    std::string text;
    if (i % 2) {
        const int digits = 1 + static_cast<int>(random() % 17), point = static_cast<int>(random() % (digits + 2));
        for (int d = 0; d < digits; ++d) text += static_cast<char>('0' + random() % 10);
        if (point <= digits) text.insert(static_cast<std::size_t>(point), 1, '.');
    } else {
        const double value = std::fabs(adversarialValue(random, i / 2));
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(random() % 17),
                      std::isfinite(value) ? value : 1.0);
        text = buffer;
    }
    if (random() % 3 == 0) text.insert(0, 1, random() % 2 ? '-' : '+');
    if (random() % 4 == 0) std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

}  // namespace

TEST(PaddedExactness, PlainDecimalsReadAsStrtod) {
    std::mt19937_64 random(20261210);
    for (int i = 0; i < 200000; ++i) {
        const std::string text = plainDecimal(random, i);
        std::string dotted = text;
        std::replace(dotted.begin(), dotted.end(), ',', '.');
        const char* referenceEnd = nullptr;
        const double expected = referenceParse(dotted.c_str(), &referenceEnd);
        const std::vector<char> buffer = padded(text);
        double value = 0;
        const char* reason = readDecimalPadded({buffer.data(), text.size()}, value);
        if (referenceEnd != dotted.c_str() + dotted.size() || std::isinf(expected)) {
            ASSERT_NE(reason, nullptr) << text;
            continue;
        }
        ASSERT_EQ(reason, nullptr) << text;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(expected)) << text;
    }
}

// What the sixteen-byte reader must leave to readDecimal, which says why or reads it.
TEST(PaddedExactness, OtherCellsReadAsReadDecimalReadsThem) {
    for (const char* text : {"",
                             "-",
                             "+",
                             ".",
                             "-,",
                             "1.2.3",
                             "1,2.3",
                             "12a",
                             " 12",
                             "12 ",
                             "12\r",
                             "\t-3,5 ",
                             "1e5",
                             "-2.5E-3",
                             "0x10",
                             "+-1",
                             "--1",
                             "inf",
                             "1 2",
                             "1234567890123456",
                             "-123456789012345.67",
                             "12345678901234567",
                             "0.00000000000000001",
                             "123456789012345678901234567890"}) {
        const std::vector<char> buffer = padded(text);
        double value = 0, expected = 0;
        const char* reason = readDecimalPadded({buffer.data(), std::strlen(text)}, value);
        const char* expectedReason = readDecimal(text, expected);
        EXPECT_STREQ(reason ? reason : "", expectedReason ? expectedReason : "") << '"' << text << '"';
        EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(expected)) << '"' << text << '"';
    }
}

TEST(PaddedExactness, FixedTextsArePrintfs) {
    std::mt19937_64 random(20261211);
    auto check = [](double value, int decimals) {
        char buffer[1 + kMaxNumber + kPadding];
        std::memset(buffer, '#', sizeof buffer);
        char* end = putFixedPadded(buffer + 1, value, decimals);
        const std::string expected = referenceFormat(value, decimals);
        ASSERT_EQ(std::string(buffer + 1, end), expected) << std::hexfloat << value << " " << decimals;
        ASSERT_EQ(buffer[0], '#');
        ASSERT_TRUE(std::all_of(end + kPadding, buffer + sizeof buffer, [](char c) { return c == '#'; }));
    };
    // Each decimal count about the largest the sixteen bytes take, and at the sixteen bytes' edges.
    for (int decimals = 0; decimals <= 17; ++decimals)
        for (double value : {1e13, 1e14, 1e15, 1e16, 0.999999999999999, 9.5, 1.0})
            for (double nearby : {value / tenTo(decimals), std::nextafter(value / tenTo(decimals), 0.0),
                                  std::nextafter(value / tenTo(decimals), 1e300)}) {
                check(nearby, decimals);
                check(-nearby, decimals);
            }
    for (int i = 0; i < 300000; ++i) {
        // Half way between two last digits in decimal, and the doubles beside it: their product by
        // 10^decimals may round onto the half, which only the exact product settles (0.95 is "0.9").
        const int decimals = static_cast<int>(random() % 10);
        const auto whole = random() % static_cast<std::uint64_t>(tenTo(1 + static_cast<int>(random() % 11)));
        const double half = (static_cast<double>(whole) + 0.5) / tenTo(decimals);
        const double ulps = static_cast<double>(static_cast<int>(random() % 5) - 2);
        double value = i % 2 ? adversarialValue(random, i / 2) : half + ulps * (std::nextafter(half, 1e300) - half);
        if (random() % 2) value = -value;
        check(value, i % 2 ? static_cast<int>(random() % 21) : decimals);
    }
}
