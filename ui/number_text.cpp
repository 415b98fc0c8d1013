#include "number_text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

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

}  // namespace

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

std::string formatFixed(double value, int decimals) {
    char buffer[400];
    auto [stop, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc()) return std::string();
    return std::string(buffer, stop);
}
