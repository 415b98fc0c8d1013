#include "output.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fields.h"

namespace {

// Engine results are finite; anything else is shown as missing rather than
// as a text that no CSV or JSON reader takes for a number.
bool showable(double value) { return isPresent(value) && std::isfinite(value); }

const char* unitOf(int index, const Style& style) {
    return kFields[index].temperature && style.fahrenheit ? "°F" : kFields[index].unit;
}

// Display width of UTF-8 text: the units hold a few two-byte characters.
std::size_t displayWidth(std::string_view text) {
    std::size_t width = 0;
    for (unsigned char c : text) width += (c & 0xC0) != 0x80;
    return width;
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

char* putText(char* p, const char* text) {
    while (*text) *p++ = *text++;
    return p;
}

char* putClampedNames(char* p, unsigned clamped, const char* separator, bool quoted) {
    bool first = true;
    for (int i = 0; clamped >> i; ++i) {
        if (!(clamped & (1u << i))) continue;
        if (!first) p = putText(p, separator);
        first = false;
        if (quoted) *p++ = '"';
        p = putText(p, kFields[i].name);
        if (quoted) *p++ = '"';
    }
    return p;
}

}  // namespace

char* putNumber(char* p, double value, int decimals, bool full) {
    if (!full) {
        if (char* end = putFixedFast(p, value, decimals)) return end;
    }
    auto [end, error] = full ? std::to_chars(p, p + kMaxNumber, value, std::chars_format::general, 17)
                             : std::to_chars(p, p + kMaxNumber, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? end : p;
}

void appendNumber(std::string& out, double value, int decimals, bool full) {
    char buffer[kMaxNumber];
    out.append(buffer, putNumber(buffer, value, decimals, full));
}

void appendShortest(std::string& out, double value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error == std::errc()) out.append(buffer, end);
}

void appendCsvHeader(std::string& out) {
    out += "method";
    for (const FieldInfo& f : kFields) {
        out += ',';
        out += f.name;
    }
    out += ",clamped\n";
}

char* putCsvRow(char* p, const Conversion& conversion, const Style& style) {
    p = putText(p, methodName(conversion.method));
    for (int i = 0; i < kFieldCount; ++i) {
        *p++ = ',';
        double value = field(conversion.result, i);
        if (showable(value)) p = putNumber(p, value, kFields[i].decimals, style.full);
    }
    *p++ = ',';
    p = putClampedNames(p, conversion.clamped, ";", false);
    *p++ = '\n';
    return p;
}

void appendCsvRow(std::string& out, const Conversion& conversion, const Style& style) {
    char row[kMaxCsvRow];
    out.append(row, putCsvRow(row, conversion, style));
}

void appendJson(std::string& out, const Conversion& conversion, const Style& style) {
    out += "{\n  \"method\": \"";
    out += methodName(conversion.method);
    out += "\",\n";
    for (int i = 0; i < kFieldCount; ++i) {
        out += "  \"";
        out += kFields[i].name;
        out += "\": ";
        double value = field(conversion.result, i);
        if (showable(value))
            appendNumber(out, value, kFields[i].decimals, style.full);
        else
            out += "null";
        out += ",\n";
    }
    out += "  \"clamped\": [";
    char names[kFieldCount * 32];
    out.append(names, putClampedNames(names, conversion.clamped, ", ", true));
    out += "]\n}\n";
}

void appendText(std::string& out, const Conversion& conversion, const Style& style) {
    std::string numbers[kFieldCount];
    std::size_t labelWidth = displayWidth("Method"), numberWidth = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        double value = field(conversion.result, i);
        if (showable(value))
            appendNumber(numbers[i], value, kFields[i].decimals, style.full);
        else
            numbers[i] = "-";
        labelWidth = std::max(labelWidth, displayWidth(kFields[i].label));
        numberWidth = std::max(numberWidth, numbers[i].size());
    }
    out += "Method";
    out.append(labelWidth - displayWidth("Method") + 2, ' ');
    out += methodLabel(conversion.method);
    out += '\n';
    for (int i = 0; i < kFieldCount; ++i) {
        out += kFields[i].label;
        out.append(labelWidth - displayWidth(kFields[i].label) + 2 + numberWidth - numbers[i].size(), ' ');
        out += numbers[i];
        const char* unit = unitOf(i, style);
        if (*unit) {
            out += "  ";
            out += unit;
        }
        out += '\n';
    }
}

void appendClampedNotes(std::string& out, const Conversion& conversion, const Style& style) {
    for (int i = 0; i < kFieldCount; ++i) {
        if (!(conversion.clamped & (1u << i))) continue;
        out += "thalwen-convert: ";
        out += kFields[i].option;
        out += ' ';
        appendShortest(out, field(conversion.given, i));
        out += " is outside its range; used ";
        appendNumber(out, field(conversion.result, i), kFields[i].decimals, style.full);
        const char* unit = unitOf(i, style);
        if (*unit) {
            out += ' ';
            out += unit;
        }
        out += '\n';
    }
}
