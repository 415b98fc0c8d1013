#include "output.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "messages.h"

namespace thalwen {

namespace {

// Engine results are finite; anything else is shown as missing rather than
// as a text that no CSV or JSON reader takes for a number.
bool showable(double value) { return isPresent(value) && std::isfinite(value); }

const char* unitOf(const QuantityInfo& info, const Style& style) {
    return unitName(info.quantity, userUnits(style.fahrenheit, *style.conductivityUnit));
}

int decimalsOf(const QuantityInfo& info, const Style& style) {
    return info.quantity == Quantity::Conductivity ? style.conductivityUnit->decimals : info.decimals;
}

char* putText(char* p, const char* text) {
    while (*text) *p++ = *text++;
    return p;
}

char* putClampedNames(char* p, QuantitySet clamped, const char* separator, bool quoted) {
    bool first = true;
    for (const QuantityInfo& info : kQuantities) {
        if (!clamped.contains(info.quantity)) continue;
        if (!first) p = putText(p, separator);
        first = false;
        if (quoted) *p++ = '"';
        p = putText(p, info.name);
        if (quoted) *p++ = '"';
    }
    return p;
}

}  // namespace

char* putNumber(char* p, double value, int decimals, bool full) {
    return full ? putShortest(p, value) : putFixed(p, value, decimals);
}

void appendNumber(std::string& out, double value, int decimals, bool full) {
    char buffer[kMaxNumber];
    out.append(buffer, putNumber(buffer, value, decimals, full));
}

void appendResultNames(std::string& out, const Style& style, const Dialect& dialect) {
    out += "method";
    for (const QuantityInfo& info : kQuantities) {
        out += dialect.separator;
        out += info.name;
        // The units as the header of a batch reads them back; mS/cm and Celsius
        // keep the plain names that files written before the choice of unit have.
        if (info.quantity == Quantity::Conductivity && style.conductivityUnit != &kMilliSiemensPerCentimetre)
            ((out += " (") += style.conductivityUnit->ascii) += ')';
        if (info.temperature && style.fahrenheit) ((out += " (") += kFahrenheit.ascii) += ')';
    }
    out += dialect.separator;
    out += "clamped";
}

void appendCsvResults(std::string& out, const UserConversion& conversion, const Style& style, const Dialect& dialect) {
    // Written into one buffer and appended once: a batch writes millions of
    // these cells, and appending each on its own took a good part of its time.
    char row[kQuantityCount * (kMaxNumber + 1) + kMaxNumber];
    char* p = putText(row, infoOf(conversion.method).name);
    for (const QuantityInfo& info : kQuantities) {
        *p++ = dialect.separator;
        double value = valueOf(conversion.result, info.quantity);
        if (!showable(value)) continue;
        char* number = p;
        p = putNumber(p, value, decimalsOf(info, style), style.full);
        if (dialect.decimalPoint != '.') std::replace(number, p, '.', dialect.decimalPoint);
    }
    *p++ = dialect.separator;
    out.append(row, static_cast<std::size_t>(p - row));
    if (conversion.clamped.empty()) return;  // most rows: an empty cell
    // The names of every quantity fit in the room of one number.
    const std::string_view names(row,
                                 static_cast<std::size_t>(putClampedNames(row, conversion.clamped, ";", false) - row));
    appendCell(out, Cell{names}, dialect);
}

void appendCsvHeader(std::string& out, const Style& style) {
    appendResultNames(out, style, Dialect{});
    out += '\n';
}

void appendCsvRow(std::string& out, const UserConversion& conversion, const Style& style) {
    appendCsvResults(out, conversion, style, Dialect{});
    out += '\n';
}

void appendJson(std::string& out, const UserConversion& conversion, const Style& style) {
    out += "{\n  \"method\": \"";
    out += infoOf(conversion.method).name;
    out += "\",\n";
    for (const QuantityInfo& info : kQuantities) {
        out += "  \"";
        out += info.name;
        out += "\": ";
        double value = valueOf(conversion.result, info.quantity);
        if (showable(value))
            appendNumber(out, value, decimalsOf(info, style), style.full);
        else
            out += "null";
        out += ",\n";
    }
    out += "  \"clamped\": [";
    char names[kQuantityCount * 32];
    out.append(names, putClampedNames(names, conversion.clamped, ", ", true));
    out += "],\n  \"conductivityUnit\": \"";
    out += style.conductivityUnit->name;
    out += "\"\n}\n";
}

void appendText(std::string& out, const UserConversion& conversion, const Style& style) {
    std::string numbers[kQuantityCount];
    std::size_t labelWidth = displayWidth("Method"), numberWidth = 0;
    for (const QuantityInfo& info : kQuantities) {
        std::string& number = numbers[static_cast<int>(info.quantity)];
        double value = valueOf(conversion.result, info.quantity);
        if (showable(value))
            appendNumber(number, value, decimalsOf(info, style), style.full);
        else
            number += '-';  // appended: GCC 12 at -O3 sees a false overlap in assigning
        labelWidth = std::max(labelWidth, displayWidth(info.label));
        numberWidth = std::max(numberWidth, number.size());
    }
    out += "Method";
    out.append(labelWidth - displayWidth("Method") + 2, ' ');
    out += infoOf(conversion.method).label;
    out += '\n';
    for (const QuantityInfo& info : kQuantities) {
        const std::string& number = numbers[static_cast<int>(info.quantity)];
        out += info.label;
        out.append(labelWidth - displayWidth(info.label) + 2 + numberWidth - number.size(), ' ');
        out += number;
        const char* unit = unitOf(info, style);
        if (*unit) {
            out += "  ";
            out += unit;
        }
        out += '\n';
    }
}

void appendClampedNotes(std::string& out, const UserConversion& conversion, const Style& style) {
    for (const QuantityInfo& info : kQuantities) {
        if (!conversion.clamped.contains(info.quantity)) continue;
        out += "thalwen-convert: ";
        out += info.option;
        out += ' ';
        appendShortest(out, valueOf(conversion.given, info.quantity));
        out += " is outside its range; used ";
        appendNumber(out, valueOf(conversion.result, info.quantity), decimalsOf(info, style), style.full);
        const char* unit = unitOf(info, style);
        if (*unit) {
            out += ' ';
            out += unit;
        }
        out += '\n';
    }
}

Failure writeText(std::string_view text, std::FILE* file, bool flush) {
    // Nothing to write may come without a buffer (a flush alone), which fwrite must not be given.
    const bool written = text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (written && (!flush || std::fflush(file) == 0)) return {};
    const int error = errno != 0 ? errno : EIO;
    return Failure(std::string("thalwen-convert: writing the output failed: ") + std::strerror(error),
                   kExitOutputFailed);
}

ExitStatus reportFailure(std::FILE* err, const Failure& failure) {
    std::fprintf(err, "%s\n", failure.message().c_str());
    return failure.status();
}

}  // namespace thalwen
