#include "number_text.h"

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

// Where the first significant digit stands relative to the decimal point, plus
// the exponent: enough to tell an overflow from an underflow when from_chars
// reports the value out of range.
long decimalMagnitude(const char* digits, const char* end) {
    long position = 0;
    bool significant = false, afterPoint = false;
    const char* p = digits;
    for (; p != end && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            afterPoint = true;
        } else if (!significant && *p == '0') {
            if (afterPoint) --position;
        } else {
            significant = true;
            if (!afterPoint) ++position;
        }
    }
    long exponent = 0;
    if (p != end) {
        ++p;
        bool negative = false;
        if (*p == '+' || *p == '-') negative = (*p++ == '-');
        for (; p != end && exponent < 100000; ++p) exponent = exponent * 10 + (*p - '0');
        if (negative) exponent = -exponent;
    }
    return position + exponent;
}

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

// The core of both readings: the number at the start of text, a comma read as
// the decimal point, and in used how many characters it took (0 for none).
double readNumberPrefix(std::string_view text, std::size_t& used) {
    double value = 0;
    if (readPlainDecimal(text, value)) {  // the batch's common case, decimal comma or point, with no copy
        used = text.size();
        return value;
    }
    // The general parser wants a terminated text in which commaToDot may write;
    // numbers are short, so a stack copy serves every sensible input without
    // allocating per batch cell.
    char local[128];
    std::string spill;
    char* copy = local;
    if (text.size() >= sizeof local) {
        spill.assign(text);
        copy = spill.data();
    } else {
        std::memcpy(local, text.data(), text.size());
        local[text.size()] = '\0';
    }
    commaToDot(copy);
    const char* end = nullptr;
    value = parseNumber(copy, &end);
    used = static_cast<std::size_t>(end - copy);
    return value;
}

int digitCount(std::uint32_t value) {
    int count = 1;
    for (std::uint32_t limit = 10; count < 10 && value >= limit; limit *= 10) ++count;
    return count;
}

// Writes the count rightmost decimal digits of value, leading zeros included,
// so that they end at end; two digits per division.
void putDigitsBackward(char* end, std::uint32_t value, int count) {
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

// The batch writes millions of numbers, and the general fixed-point
// conversion of the standard library dominated its time. Most values are
// modest and far from a rounding tie: for those, rounding the scaled value to
// an integer gives exactly the digits of the general conversion. The scaled
// value is off by at most 1.1e-7 below 1e9, so a fraction more than 1e-6 from
// one half rounds the same way as the exact product.
char* putFixedFast(char* p, double value, int decimals) {
    static constexpr double kScale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    static constexpr std::uint32_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    if (decimals < 0 || decimals > 8) return nullptr;
    double scaled = std::fabs(value) * kScale[decimals];
    if (!(scaled < 1e9)) return nullptr;
    double whole = std::floor(scaled);
    double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-6) return nullptr;
    auto scaledDigits = static_cast<std::uint32_t>(whole) + (fraction > 0.5 ? 1u : 0u);
    std::uint32_t integer = scaledDigits / kPowersOfTen[decimals];
    std::uint32_t decimalDigits = scaledDigits % kPowersOfTen[decimals];

    if (std::signbit(value)) *p++ = '-';
    int integerLength = digitCount(integer);
    putDigitsBackward(p + integerLength, integer, integerLength);
    p += integerLength;
    if (decimals == 0) return p;
    *p++ = '.';
    putDigitsBackward(p + decimals, decimalDigits, decimals);
    return p + decimals;
}

}  // namespace

char* commaToDot(char* text) {
    for (char* p = text; *p != '\0'; ++p) {
        if (isDecimalPoint(*p)) *p = '.';
    }
    return text;
}

double parseNumber(const char* text, const char** end) {
    if (end) *end = text;
    const char* p = text;
    while (isBlank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    const char* digits = p;
    int mantissaDigits = 0;
    while (isDigit(*p)) ++p, ++mantissaDigits;
    if (*p == '.') {
        ++p;
        while (isDigit(*p)) ++p, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (isDigit(*q)) {
            while (isDigit(*q)) ++q;
            p = q;
        }
    }
    if (end) *end = p;

    double value = 0.0;
    auto [stop, error] = std::from_chars(digits, p, value, std::chars_format::general);
    (void)stop;
    if (error == std::errc::result_out_of_range) {
        value = decimalMagnitude(digits, p) > 0 ? HUGE_VAL : 0.0;
    }
    return negative ? -value : value;
}

double readLeadingNumber(std::string_view text) {
    std::size_t used = 0;
    return readNumberPrefix(text, used);
}

const char* readDecimal(std::string_view text, double& value) {
    text = trimBlanks(text);
    if (text.empty()) return "empty value";
    std::size_t used = 0;
    double parsed = readNumberPrefix(text, used);
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
    if (char* end = putFixedFast(p, value, decimals)) return end;
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

}  // namespace thalwen
