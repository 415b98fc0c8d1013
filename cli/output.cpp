#include "output.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "file_names.h"
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

const char* labelOf(const Output& output) {
    return output.kind == Output::Kind::Sample ? infoOf(output.quantity).label : infoOf(output.derived).label;
}

// As the outputs show it: "°F", "S/m", "kg/m³"; "" for none.
const char* unitOf(const Output& output, const Style& style) {
    if (output.kind == Output::Kind::Sample) return unitOf(infoOf(output.quantity), style);
    const DerivedInfo& info = infoOf(output.derived);
    return info.temperature && style.fahrenheit ? kFahrenheit.name : info.unit;
}

int decimalsOf(const Output& output, const Style& style) {
    return output.kind == Output::Kind::Sample ? decimalsOf(infoOf(output.quantity), style)
                                               : infoOf(output.derived).decimals;
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

const char* outputName(const Output& output) {
    switch (output.kind) {
    case Output::Kind::Method:
        return "method";
    case Output::Kind::Sample:
        return infoOf(output.quantity).name;
    case Output::Kind::Derived:
        break;
    }
    return infoOf(output.derived).name;
}

std::string unitSpelling(const Output& output, const Style& style) {
    switch (output.kind) {
    case Output::Kind::Method:
        return "";
    case Output::Kind::Sample: {
        const QuantityInfo& info = infoOf(output.quantity);
        if (info.temperature && style.fahrenheit) return kFahrenheit.ascii;
        return output.quantity == Quantity::Conductivity ? style.conductivityUnit->ascii : info.engineUnit;
    }
    case Output::Kind::Derived:
        break;
    }
    const DerivedInfo& info = infoOf(output.derived);
    return info.temperature && style.fahrenheit ? kFahrenheit.ascii : info.engineUnit;
}

CfAttributes cfAttributesOf(const Output& output) {
    return output.kind == Output::Kind::Sample ? cfAttributesOf(output.quantity) : cfAttributesOf(output.derived);
}

double resultValue(const UserConversion& conversion, const Output& output) {
    const double value = output.kind == Output::Kind::Method   ? kNoValue
                         : output.kind == Output::Kind::Sample ? valueOf(conversion.result, output.quantity)
                                                               : valueOf(conversion.derived, output.derived);
    return showable(value) ? value : std::numeric_limits<double>::quiet_NaN();
}

char* putNumber(char* p, double value, int decimals, bool full) {
    return full ? putShortest(p, value) : putFixed(p, value, decimals);
}

void appendNumber(std::string& out, double value, int decimals, bool full) {
    char buffer[kMaxNumber];
    out.append(buffer, putNumber(buffer, value, decimals, full));
}

std::vector<Output> defaultOutputs() {
    std::vector<Output> outputs = {{Output::Kind::Method}};
    for (const QuantityInfo& info : kQuantities) outputs.push_back({Output::Kind::Sample, info.quantity});
    return outputs;
}

std::vector<Output> netcdfDefaultOutputs(Method method, Quantity source) {
    std::vector<Output> outputs;
    if (source != Quantity::PracticalSalinity) outputs.push_back({Output::Kind::Sample, Quantity::PracticalSalinity});
    if (usedBy(Quantity::AbsoluteSalinity, method))
        outputs.push_back({Output::Kind::Sample, Quantity::AbsoluteSalinity});
    for (const DerivedInfo& info : kDerivedQuantities)
        if (!info.teos10Only || method != Method::Ies80) outputs.push_back({Output::Kind::Derived, {}, info.quantity});
    return outputs;
}

std::optional<Output> outputNamed(std::string_view name) {
    if (name == "method") return Output{Output::Kind::Method};
    if (const std::optional<Quantity> quantity = quantityFromName(name)) return Output{Output::Kind::Sample, *quantity};
    for (const DerivedInfo& info : kDerivedQuantities)
        if (name == info.name) return Output{Output::Kind::Derived, {}, info.quantity};
    return std::nullopt;
}

std::string outputNames() {
    std::string names = "method";
    for (const QuantityInfo& info : kQuantities) (names += ", ") += info.name;
    for (const DerivedInfo& info : kDerivedQuantities) (names += ", ") += info.name;
    return names;
}

DerivedQuantitySet derivedIn(const std::vector<Output>& outputs) {
    DerivedQuantitySet derived;
    for (const Output& output : outputs)
        if (output.kind == Output::Kind::Derived) derived.add(output.derived);
    return derived;
}

void appendResultNames(std::string& out, const Style& style, const Dialect& dialect,
                       const std::vector<std::string>& taken) {
    auto isTaken = [&](std::string_view name) {
        return std::any_of(taken.begin(), taken.end(), [&](const std::string& cell) { return sameName(cell, name); });
    };
    for (const Output& output : style.outputs) {
        std::string name = outputName(output);
        // The units as the header of a batch reads them back; mS/cm and Celsius
        // keep the plain names that files written before the choice of unit have.
        const bool otherUnit = (output.kind == Output::Kind::Sample && output.quantity == Quantity::Conductivity &&
                                style.conductivityUnit != &kMilliSiemensPerCentimetre) ||
                               (style.fahrenheit && unitSpelling(output, style) == kFahrenheit.ascii);
        if (otherUnit || isTaken(name))
            name += output.kind == Output::Kind::Method ? " (used)" : " (" + unitSpelling(output, style) + ")";
        out += name;
        out += dialect.separator;
    }
    out += isTaken("clamped") ? "clamped (inputs)" : "clamped";
}

std::vector<ResultCell> resultCellsOf(const Style& style) {
    std::vector<ResultCell> cells;
    for (const Output& output : style.outputs) {
        ResultCell& cell = cells.emplace_back();
        cell.method = output.kind == Output::Kind::Method;
        if (output.kind == Output::Kind::Sample) cell.sample = infoOf(output.quantity).member;
        if (output.kind == Output::Kind::Derived) cell.derived = kDerivedMembers[static_cast<int>(output.derived)];
        if (!cell.method) cell.decimals = decimalsOf(output, style);
    }
    return cells;
}

void appendCsvResults(std::string& out, const UserConversion& conversion, const Style& style, const Dialect& dialect) {
    appendCsvResults(out, conversion, resultCellsOf(style), style.full, dialect);
}

void appendCsvResults(std::string& out, const UserConversion& conversion, const std::vector<ResultCell>& cells,
                      bool full, const Dialect& dialect) {
    // Written into one buffer and appended once: a batch writes millions of
    // these cells, and appending each on its own took a good part of its
    // time. Room for every output, and for the sixteen bytes the number
    // writer may overwrite past its text.
    char row[(kQuantityCount + kDerivedQuantityCount + 1) * (kMaxNumber + 1) + kMaxNumber + kPadding];
    char* p = row;
    for (const ResultCell& cell : cells) {
        if (cell.method) {
            p = putText(p, infoOf(conversion.method).name);
        } else if (const double value = cell.sample ? conversion.result.*cell.sample : conversion.derived.*cell.derived;
                   showable(value)) {
            p = full ? putShortest(p, value) : putFixedPadded(p, value, cell.decimals);
        }
        *p++ = dialect.separator;
    }
    if (dialect.decimalPoint != '.') std::replace(row, p, '.', dialect.decimalPoint);
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
    out += "{\n";
    for (const Output& output : style.outputs) {
        out += "  \"";
        out += outputName(output);
        out += "\": ";
        if (output.kind == Output::Kind::Method) {
            ((out += '"') += infoOf(conversion.method).name) += '"';
        } else if (const double value = resultValue(conversion, output); !std::isnan(value)) {
            appendNumber(out, value, decimalsOf(output, style), style.full);
        } else {
            out += "null";
        }
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
    std::vector<std::string> labels, numbers;
    std::size_t labelWidth = 0, numberWidth = 0;
    for (const Output& output : style.outputs) {
        std::string& number = numbers.emplace_back();
        if (output.kind == Output::Kind::Method) {
            labels.emplace_back("Method");
        } else {
            labels.emplace_back(labelOf(output));
            if (const double value = resultValue(conversion, output); !std::isnan(value))
                appendNumber(number, value, decimalsOf(output, style), style.full);
            else
                number += '-';  // appended: GCC 12 at -O3 sees a false overlap in assigning
            numberWidth = std::max(numberWidth, number.size());
        }
        labelWidth = std::max(labelWidth, displayWidth(labels.back()));
    }
    for (std::size_t i = 0; i < style.outputs.size(); ++i) {
        const Output& output = style.outputs[i];
        out += labels[i];
        out.append(labelWidth - displayWidth(labels[i]) + 2, ' ');
        if (output.kind == Output::Kind::Method) {
            (out += infoOf(conversion.method).label) += '\n';
            continue;
        }
        out.append(numberWidth - numbers[i].size(), ' ');
        out += numbers[i];
        if (const char* unit = unitOf(output, style); *unit) (out += "  ") += unit;
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
