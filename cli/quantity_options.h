// The options that give the quantities, and the quantities as the command
// line and its CSV and JSON name them.
#pragma once

#include <optional>
#include <string_view>

#include "quantities.h"

namespace thalwen {

// An option that gives a quantity, in the order --help lists them.
struct QuantityOption {
    Quantity quantity;
    const char* option;       // "--pressure"
    const char* placeholder;  // its value, as --help shows it
    const char* help;         // what --help says of it; the unit and the default follow
};

constexpr int kQuantityOptionCount = 9;  // every input, that is every quantity but Absolute Salinity
extern const QuantityOption kQuantityOptions[kQuantityOptionCount];

// The option that gives quantity, or nullptr for Absolute Salinity.
const char* optionOf(Quantity quantity);

// The quantity an option gives, or none.
std::optional<Quantity> quantityOfOption(std::string_view option);

// The quantity a CSV column or JSON key names, or none.
std::optional<Quantity> quantityNamed(std::string_view name);

}  // namespace thalwen
