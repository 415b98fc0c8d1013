#include "fields.h"

#include <cmath>
#include <cstring>
#include <string>

#include "number_text.h"

const FieldInfo kFields[kFieldCount] = {
    {"pressure", "--pressure", "Sea pressure", "dbar", &Sample::pressure, 2, false, false},
    {"longitude", "--longitude", "Longitude", "°E", &Sample::longitude, 6, false, false},
    {"latitude", "--latitude", "Latitude", "°N", &Sample::latitude, 6, false, false},
    {"temperature", "--temperature", "Temperature", "°C", &Sample::temperature, 2, false, true},
    {"practicalSalinity", "--salinity", "Practical Salinity", "", &Sample::practicalSalinity, 5, true, false},
    {"absoluteSalinity", nullptr, "Absolute Salinity", "g/kg", &Sample::absoluteSalinity, 5, false, false},
    {"density", "--density", "Density", "kg/m³", &Sample::density, 5, true, false},
    {"conductivity", "--conductivity", "Conductivity", "mS/cm", &Sample::conductivity, 5, true, false},
    {"specificGravity", "--specific-gravity", "Specific gravity", "", &Sample::specificGravity, 5, true, false},
    {"referenceTemperature", "--reference-temperature", "Reference temperature", "°C", &Sample::referenceTemperature, 2,
     false, true},
};

int fieldIndex(std::string_view name) {
    for (int i = 0; i < kFieldCount; ++i)
        if (name == kFields[i].name) return i;
    return -1;
}

const char* methodName(Method method) {
    switch (method) {
    case Teos10Polynomial:
        return "polynomial";
    case Teos10Exact:
        return "exact";
    case Ies80:
        return "ies80";
    }
    return "?";
}

const char* methodLabel(Method method) {
    switch (method) {
    case Teos10Polynomial:
        return "TEOS-10 48 term";
    case Teos10Exact:
        return "TEOS-10 exact";
    case Ies80:
        return "IES-80";
    }
    return "?";
}

std::optional<Method> methodFromName(std::string_view name) {
    for (Method m : {Teos10Polynomial, Teos10Exact, Ies80})
        if (name == methodName(m)) return m;
    return std::nullopt;
}

namespace {

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
    for (; i < size && unsigned(text[i] - '0') < 10; ++i) mantissa = mantissa * 10 + unsigned(text[i] - '0');
    int digits = int(i - start), fractionDigits = 0;
    if (i < size && (text[i] == '.' || text[i] == ',')) {
        std::size_t point = ++i;
        for (; i < size && unsigned(text[i] - '0') < 10; ++i) mantissa = mantissa * 10 + unsigned(text[i] - '0');
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

}  // namespace

const char* readDecimal(std::string_view text, double& value) {
    text = trimBlanks(text);
    if (text.empty()) return "empty value";
    if (readPlainDecimal(text, value)) return nullptr;
    // parseNumber wants a terminated text; numbers are short, so a stack copy
    // serves every sensible input without allocating per batch cell.
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
    for (std::size_t i = 0; i < text.size(); ++i)
        if (copy[i] == ',') copy[i] = '.';
    const char* end = nullptr;
    double parsed = parseNumber(copy, &end);
    if (end != copy + text.size()) return "not a decimal number";
    if (!std::isfinite(parsed)) return "too large";
    value = parsed;
    return nullptr;
}
