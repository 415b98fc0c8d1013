#include "output.h"

#include <cmath>

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
    return full ? putSignificant(p, value) : putFixed(p, value, decimals);
}

void appendNumber(std::string& out, double value, int decimals, bool full) {
    char buffer[kMaxNumber];
    out.append(buffer, putNumber(buffer, value, decimals, full));
}

void appendShortest(std::string& out, double value) {
    char buffer[kMaxNumber];
    out.append(buffer, putShortest(buffer, value));
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
