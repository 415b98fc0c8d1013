#include "netcdf_flags.h"

#include <algorithm>
#include <optional>

#include "messages.h"
#include "number_text.h"

namespace thalwen {

namespace {

// The words of a blank-separated list attribute.
std::vector<std::string> listWords(const std::string& text) {
    std::vector<std::string> words;
    for (std::size_t start = text.find_first_not_of(' '); start != std::string::npos;) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        words.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(' ', end);
    }
    return words;
}

// The variables of quality flags variable declares, as CF links them: those
// of its ancillary_variables with flag_values.
std::vector<const Variable*> declaredFlags(const Group& root, const Variable& variable) {
    std::vector<const Variable*> flags;
    for (const std::string& name : listWords(textOf(variable.attributes, "ancillary_variables"))) {
        const Variable* ancillary = findVariable(root, name);
        if (ancillary != nullptr && findAttribute(ancillary->attributes, "flag_values") != nullptr &&
            (isNumber(ancillary->type) || ancillary->type == ValueType::Char))
            flags.push_back(ancillary);
    }
    return flags;
}

// The flags a variable of flags declares, as its values hold them.
std::vector<double> declaredValues(const Variable& flags) {
    const Attribute& values = *findAttribute(flags.attributes, "flag_values");
    if (!values.numbers.empty()) return values.numbers;
    std::vector<double> codes;
    for (char c : values.text)
        if (c != ' ' && c != '\0') codes.push_back(static_cast<unsigned char>(c));
    return codes;
}

// A flag of --qc as the variable of flags holds it: a number, or a single
// character's code; none when it can be neither.
std::optional<double> flagValue(const Variable& flags, std::string_view text) {
    if (flags.type == ValueType::Char) {
        if (text.size() != 1) return std::nullopt;
        return static_cast<unsigned char>(text[0]);
    }
    double value = 0;
    if (readDecimal(text, value) != nullptr) return std::nullopt;
    return value;
}

// What a variable of flags declares, as the user types flags: "0 1 2 3 4".
std::string declaredText(const Variable& flags) {
    std::string text;
    for (double value : declaredValues(flags)) {
        if (!text.empty()) text += ' ';
        if (flags.type == ValueType::Char)
            text += static_cast<char>(value);
        else
            appendShortest(text, value);
    }
    return text;
}

// "1 (good_data)": a flag as the user gave it, with its meaning where a
// variable of flags says it.
std::string flagWithMeaning(const std::vector<QualityFlags>& flags, const std::string& text) {
    for (const QualityFlags& read : flags) {
        const std::optional<double> value = flagValue(*read.variable, text);
        const std::vector<double> declared = declaredValues(*read.variable);
        const std::vector<std::string> meanings = listWords(textOf(read.variable->attributes, "flag_meanings"));
        const auto found = value ? std::find(declared.begin(), declared.end(), *value) : declared.end();
        if (found != declared.end() && meanings.size() == declared.size())
            return text + " (" + meanings[static_cast<std::size_t>(found - declared.begin())] + ")";
    }
    return text;
}

}  // namespace

Failure readQualityFlags(const std::vector<std::string>& given, const Group& root, const BatchColumns& columns,
                         const std::vector<std::size_t>& read, std::vector<QualityFlags>& flagsRead,
                         std::vector<std::string>& notes) {
    std::vector<std::string> declaring;
    for (std::size_t column : read) {
        for (const Variable* flags : declaredFlags(root, root.variables[column])) {
            if (std::none_of(flagsRead.begin(), flagsRead.end(),
                             [&](const QualityFlags& known) { return known.variable == flags; }))
                flagsRead.push_back({flags, {}});
            declaring.push_back(columnAt(columns, column) + " in " + quoted(flags->name) + " (" + declaredText(*flags) +
                                ")");
        }
    }
    const std::string declared = "quality flags of " + choices(declaring, [](const std::string& item) { return item; });
    if (given.empty()) {
        if (!flagsRead.empty())
            notes.push_back(declared + ": --qc FLAG[,FLAG...] would convert only the samples flagged so");
        flagsRead.clear();
        return {};
    }
    if (flagsRead.empty())
        return Failure(
            "--qc: none of the variables read declares quality flags (ancillary_variables naming a "
            "variable with flag_values)");
    std::string kept;
    for (const std::string& text : given) {
        bool declaredSomewhere = false;
        for (QualityFlags& flags : flagsRead) {
            const std::optional<double> value = flagValue(*flags.variable, text);
            if (!value) continue;
            flags.kept.push_back(*value);
            const std::vector<double> values = declaredValues(*flags.variable);
            declaredSomewhere = declaredSomewhere || std::find(values.begin(), values.end(), *value) != values.end();
        }
        if (!declaredSomewhere)
            return Failure(valueError("--qc", text,
                                      "is none of the flags of variable " + quoted(flagsRead[0].variable->name) + ": " +
                                          declaredText(*flagsRead[0].variable)));
        (kept += kept.empty() ? "" : ", ") += flagWithMeaning(flagsRead, text);
    }
    notes.push_back(declared + ": converted only the samples flagged " + kept);
    return {};
}

}  // namespace thalwen
