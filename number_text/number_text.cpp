#include "number_text.h"

#include <fast_float/fast_float.h>

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace thalwen {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
// The one comma rule: on input a ',' is a decimal point like '.'.
bool isDecimalPoint(char c) { return c == '.' || c == ','; }

// Plain decimals of up to 15 digits (nearly every cell of a batch) read
// without the general parser: the digits form an exact integer below 2^53,
// and one division by an exact power of ten rounds correctly, so the result
// is the very double the general parser gives.
bool readPlainDecimal(std::string_view text, double& value) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0, size = text.size();
    bool negative = false;
    if (i < size && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned long long mantissa = 0;
    std::size_t start = i;
    for (; i < size && isDigit(text[i]); ++i) mantissa = mantissa * 10 + unsigned(text[i] - '0');
    int digits = int(i - start), fractionDigits = 0;
    if (i < size && isDecimalPoint(text[i])) {
        std::size_t point = ++i;
        for (; i < size && isDigit(text[i]); ++i) mantissa = mantissa * 10 + unsigned(text[i] - '0');
        fractionDigits = int(i - point);
        digits += fractionDigits;
    }
    // More than 15 digits may have wrapped the mantissa; the general parser
    // then reads the text again from the start.
    if (i != size || digits > 15) return false;
    if (digits == 0) return false;
    double magnitude = static_cast<double>(mantissa);
    if (fractionDigits > 0) magnitude /= kPowers[fractionDigits];
    value = negative ? -magnitude : magnitude;
    return true;
}

// Any other number at the start of text, blanks before it skipped (a sign,
// digits with at most one decimal point, an exponent), and in used how many
// characters it took (0 for none). With commaIsPoint a ',' where the decimal
// point would stand is one. fast_float reads it in place, a decimal comma
// included, and rounds it correctly however many digits it has.
double readGeneralNumber(std::string_view text, bool commaIsPoint, std::size_t& used) {
    used = 0;
    const char* const end = text.data() + text.size();
    const char* p = text.data();
    while (p != end && isBlank(*p)) ++p;
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '+' || *p == '-')) ++p;
    const char* const digits = p;
    while (p != end && isDigit(*p)) ++p;
    const char point = commaIsPoint && p != end && *p == ',' ? ',' : '.';
    // fast_float would take a second sign, "inf" and "nan": a decimal starts with a digit or the point.
    if (digits == end || !(isDigit(*digits) || *digits == point)) return 0.0;
    double value = 0.0;
    const fast_float::parse_options options(fast_float::chars_format::general, point);
    const auto [stop, error] = fast_float::from_chars_advanced(digits, end, value, options);
    if (error != std::errc()) return 0.0;  // a point without digits
    used = static_cast<std::size_t>(stop - text.data());
    return negative ? -value : value;
}

// The leading number of text, a comma read as the decimal point.
double readNumberPrefix(std::string_view text, std::size_t& used) {
    double value = 0;
    if (readPlainDecimal(text, value)) {  // the batch's common case, decimal comma or point
        used = text.size();
        return value;
    }
    return readGeneralNumber(text, true, used);
}

#if defined(__SIZEOF_INT128__)
// 10^0 to 10^19, every power of ten below 2^64.
constexpr auto kPowersOfTen = [] {
    std::array<std::uint64_t, 20> powers{1};
    for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
    return powers;
}();
constexpr int kMostFastDecimals = static_cast<int>(kPowersOfTen.size()) - 1;

int digitCount(std::uint64_t value) {
    int count = 1;
    while (count <= kMostFastDecimals && value >= kPowersOfTen[count]) ++count;
    return count;
}

// Writes the count rightmost decimal digits of value, leading zeros included,
// so that they end at end; two digits per division, which is cheaper in 32
// bits where the value fits.
template <class Unsigned>
void putDigitsBackward(char* end, Unsigned value, int count) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    for (; count >= 2; count -= 2, value /= 100) {
        end -= 2;
        std::memcpy(end, kPairs + 2 * (value % 100), 2);
    }
    if (count) *--end = char('0' + value % 10);
}

// whole, then '.' and decimals digits of fraction when decimals > 0.
template <class Unsigned>
char* putWholeAndFraction(char* p, Unsigned whole, Unsigned fraction, int decimals) {
    const int wholeDigits = digitCount(whole);
    putDigitsBackward(p + wholeDigits, whole, wholeDigits);
    p += wholeDigits;
    if (decimals == 0) return p;
    *p++ = '.';
    putDigitsBackward(p + decimals, fraction, decimals);
    return p + decimals;
}

// The batch writes millions of numbers, and the general fixed-point
// conversion of the standard library dominated its time. Here integers give
// the same text exactly. A |value| from 2^-11 up to 2^52 is m / 2^shift with
// m < 2^53 and 0 < shift < 64, so |value| x 10^decimals is the 128-bit product
// m x 10^decimals shifted right by shift: its quotient, rounded on the
// remainder half to even, is what printf rounds the exact binary value to.
// The whole part is m shifted, and the fraction, below 2^64, comes out exact
// from the quotient taken modulo 2^64. Zero too; the standard library writes
// the rest (nullptr).
char* putFixedExact(char* p, double value, int decimals) {
    if (decimals < 0 || decimals > kMostFastDecimals) return nullptr;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << 52;
    const std::uint64_t m = (bits & (kHiddenBit - 1)) | kHiddenBit;
    const int shift = 1075 - static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t scale = kPowersOfTen[decimals];
    std::uint64_t whole = 0, scaled = 0;  // |value| truncated, and |value| x scale rounded (modulo 2^64)
    if (shift > 0 && shift < 64) {
        const auto product = static_cast<unsigned __int128>(m) * scale;
        const auto high = static_cast<std::uint64_t>(product >> 64), low = static_cast<std::uint64_t>(product);
        scaled = (high << (64 - shift)) | (low >> shift);
        const std::uint64_t rest = low & ((std::uint64_t{1} << shift) - 1), half = std::uint64_t{1} << (shift - 1);
        // Without a branch: which way a number rounds is anybody's guess.
        scaled += static_cast<std::uint64_t>(rest > half) | (static_cast<std::uint64_t>(rest == half) & scaled);
        whole = m >> shift;
    } else if ((bits << 1) != 0) {  // not a zero of either sign
        return nullptr;
    }
    std::uint64_t fraction = scaled - whole * scale;
    if (fraction == scale) {  // rounded up into the next whole number
        ++whole;
        fraction = 0;
    }
    if (bits >> 63) *p++ = '-';
    if (whole <= UINT32_MAX && decimals <= 9)
        return putWholeAndFraction(p, static_cast<std::uint32_t>(whole), static_cast<std::uint32_t>(fraction),
                                   decimals);
    return putWholeAndFraction(p, whole, fraction, decimals);
}
#else
// Without 128-bit integers (32-bit Windows, which writes only the window's
// few numbers) the standard library writes every number.
char* putFixedExact(char*, double, int) { return nullptr; }
#endif

}  // namespace

double parseNumber(const char* text, const char** end) {
    std::size_t used = 0;
    const double value = readGeneralNumber(text, false, used);
    if (end) *end = text + used;
    return value;
}

double readLeadingNumber(std::string_view text) {
    std::size_t used = 0;
    return readNumberPrefix(text, used);
}

const char* readDecimal(std::string_view text, double& value) {
    text = trimBlanks(text);
    if (text.empty()) return "empty value";
    std::size_t used = 0;
    const double parsed = readNumberPrefix(text, used);
    if (used != text.size()) return "not a decimal number";
    if (!std::isfinite(parsed)) return "too large";
    value = parsed;
    return nullptr;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

char* putFixed(char* p, double value, int decimals) {
    if (char* end = putFixedExact(p, value, decimals)) return end;
    auto [end, error] = std::to_chars(p, p + kMaxNumber, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? end : p;
}

char* putShortest(char* p, double value) {
    auto [end, error] = std::to_chars(p, p + kMaxNumber, value);
    return error == std::errc() ? end : p;
}

std::string formatFixed(double value, int decimals) {
    char buffer[kMaxNumber];
    return std::string(buffer, putFixed(buffer, value, decimals));
}

void appendShortest(std::string& out, double value) {
    char buffer[kMaxNumber];
    out.append(buffer, putShortest(buffer, value));
}

}  // namespace thalwen
