// One reader of a sample's values, for the options of the command line and
// for the cells of a batch row alike: each value is read the same way, and a
// sample has at most one salinity-related input wherever it comes from.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

#include "number_text.h"
#include "quantities.h"
#include "user_conversion.h"

namespace thalwen {

struct SampleValues {
    Sample sample = kDefaultSample;  // the values given, as typed, over what the caller started from
    QuantitySet given;               // the quantities given
    std::size_t salinityPlace = 0;   // where the salinity-related value was given, once one was
};

// Whether quantities hold a salinity-related one.
bool anySalinityRelated(QuantitySet quantities);

// Whether values holds a salinity-related value.
inline bool hasSalinityInput(const SampleValues& values) { return anySalinityRelated(values.given); }

// 'text', for messages that name what the user gave.
std::string quoted(std::string_view text);

// "a, b or c": name(row) of every row of table, for messages and the usage.
template <class Table, class Name>
std::string choices(const Table& table, Name name) {
    std::string text;
    const std::size_t count = std::size(table);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) text += i + 1 == count ? " or " : ", ";
        text += name(table[i]);
    }
    return text;
}

// The message for text given at place: "<place>: '<text>' <what>", blanks
// around text aside, or "<place>: <what>" for an empty text.
std::string valueError(std::string_view place, std::string_view text, std::string_view what);

// Reads text as the value of quantity, given at place (an option or a column,
// as the caller counts them). Returns "" or what is wrong, with placeName(place)
// naming where: the text is no decimal number, or a second salinity-related
// value follows the one given at salinityPlace.
template <class PlaceName>
std::string readValue(SampleValues& values, Quantity quantity, std::string_view text, std::size_t place,
                      const PlaceName& placeName);

// ---- Implementation -----------------------------------------------------------------------------

// "is not a decimal number", or "empty value" for an empty text: what is
// wrong with text, for which readDecimal gave reason.
std::string whatIsWrong(std::string_view text, const char* reason);

template <class PlaceName>
std::string readValue(SampleValues& values, Quantity quantity, std::string_view text, std::size_t place,
                      const PlaceName& placeName) {
    double value = 0;
    if (const char* reason = readDecimal(text, value))
        return valueError(placeName(place), text, whatIsWrong(text, reason));
    if (infoOf(quantity).salinityRelated) {
        if (hasSalinityInput(values))
            return valueError(
                placeName(place), text,
                "given with " + placeName(values.salinityPlace) + "; give at most one salinity-related input");
        values.salinityPlace = place;
        value = asGivenValue(value);  // a salinity-related value given never reads as absent
    }
    valueOf(values.sample, quantity) = value;
    values.given.add(quantity);
    return "";
}

}  // namespace thalwen
