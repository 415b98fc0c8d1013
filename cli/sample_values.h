// One reader of a sample's values, for the options of the command line and
// for the cells of a batch row alike: each value is read the same way, and a
// sample has at most one salinity-related input wherever it comes from.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "exit_status.h"
#include "messages.h"
#include "number_text.h"
#include "quantities.h"
#include "user_conversion.h"

namespace thalwen {

struct SampleValues {
    Sample sample = kDefaultSample;  // the values given, as typed, over what the caller started from
    QuantitySet given;               // the quantities given
    std::size_t salinityPlace = 0;   // where the salinity-related value was given, once one was
};

// Whether values holds a salinity-related value.
inline bool hasSalinityInput(const SampleValues& values) { return anySalinityRelated(values.given); }

// "is not a decimal number", or "empty value" for an empty text: what is
// wrong with text, for which readDecimal gave reason.
std::string whatIsWrong(std::string_view text, const char* reason);

// Gives value, read from text, as that of quantity, given at place (an
// option or a column, as the caller counts them), with placeName(place)
// naming where in what is wrong: a second salinity-related value follows the
// one given at salinityPlace.
template <class PlaceName>
Failure giveValue(SampleValues& values, Quantity quantity, double value, std::string_view text, std::size_t place,
                  const PlaceName& placeName) {
    if (infoOf(quantity).salinityRelated) {
        if (isSecondSalinityInput(values.given, quantity))
            return Failure(valueError(placeName(place), text,
                                      "given with " + placeName(values.salinityPlace) + "; " + kOneSalinityInput));
        values.salinityPlace = place;
        value = asGivenValue(value);  // a salinity-related value given never reads as absent
    }
    valueOf(values.sample, quantity) = value;
    values.given.add(quantity);
    return {};
}

// Reads text as the value of quantity, given at place: fails as giveValue
// does, or when text is no decimal number.
template <class PlaceName>
Failure readValue(SampleValues& values, Quantity quantity, std::string_view text, std::size_t place,
                  const PlaceName& placeName) {
    double value = 0;
    if (const char* reason = readDecimal(text, value))
        return Failure(valueError(placeName(place), text, whatIsWrong(text, reason)));
    return giveValue(values, quantity, value, text, place, placeName);
}

}  // namespace thalwen
