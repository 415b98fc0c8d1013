#include "file_names.h"

#include <algorithm>

namespace thalwen {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether name is an archive's adjusted one, in any case ("psal_adjusted").
bool namesAdjusted(std::string_view name) {
    return std::any_of(std::begin(kFileNames), std::end(kFileNames),
                       [&](const FileName& known) { return known.adjusted && sameName(name, known.text); });
}

std::optional<NameReading> readByStandardName(std::string_view name, std::string_view standardName) {
    for (const FileName& known : kFileNames)
        if (known.naming == Naming::CfStandardName && known.read && standardName == known.text)
            return NameReading{known.quantity, &known, namesAdjusted(name), true};
    return std::nullopt;
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::optional<NameReading> readName(std::string_view name, std::string_view standardName) {
    if (auto reading = readByStandardName(name, standardName)) return reading;
    for (const QuantityInfo& info : kQuantities)
        if (info.input && sameName(name, info.name)) return NameReading{info.quantity};
    for (const FileName& known : kFileNames)
        if (known.read && name == known.text) return NameReading{known.quantity, &known, known.adjusted};
    // In another case than its convention writes it, a name implies no unit;
    // an adjusted archive name is the archives' all the same.
    for (const FileName& known : kFileNames)
        if (known.read && sameName(name, known.text))
            return NameReading{known.quantity, known.adjusted ? &known : nullptr, known.adjusted};
    return std::nullopt;
}

bool preferred(const NameReading& first, const NameReading& second) {
    if (first.adjusted != second.adjusted) return first.adjusted;
    return first.byStandardName && !second.byStandardName;
}

}  // namespace thalwen
