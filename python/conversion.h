// What convert() lends the rest of the module: the conversion of its
// keywords, with the units of inputs that reach it as bare numbers, and the
// reading of a units attribute.
#pragma once

#include <pybind11/pybind11.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "quantities.h"
#include "quantity_unit.h"

namespace thalwen {

// The units of inputs read elsewhere: an xarray Dataset's variables reach the
// conversion block by block, without their attributes.
using InputUnits = std::map<Quantity, QuantityUnit>;

// One field of the result: a quantity of the sample, one derived from it, or
// the flags of the inputs brought to a bound.
struct Field {
    enum class Kind { Sample, Derived, Clamped };
    Kind kind = Kind::Clamped;
    Quantity quantity = Quantity::Pressure;
    DerivedQuantity derived = DerivedQuantity::ConservativeTemperature;

    const char* keyword() const {
        switch (kind) {
        case Kind::Sample:
            return infoOf(quantity).keyword;
        case Kind::Derived:
            return infoOf(derived).keyword;
        case Kind::Clamped:
            break;
        }
        return kClampedName;
    }
};

// method=, conductivity_unit=, fahrenheit= and outputs= read, or a
// TypeError or ValueError naming the argument.
Method readMethod(pybind11::handle value);
const ConductivityUnit* readConductivityUnit(pybind11::handle value);
bool readFahrenheit(pybind11::handle value);
std::vector<Field> readOutputs(pybind11::handle value);
// Whether a numpy dtype kind holds numbers (signed, unsigned, floating).
constexpr bool isNumberKind(char kind) { return kind == 'i' || kind == 'u' || kind == 'f'; }
// jobs= and missing= read, or a TypeError or ValueError naming the argument.
unsigned readJobs(pybind11::handle value);
std::vector<double> readMissing(pybind11::handle value);

// thalwen.convert(**kwargs), each input of units in its unit there.
pybind11::object convertKeywords(const pybind11::kwargs& kwargs, const InputUnits& units = {});

// text, the units attribute of whose numbers, as a unit of info's quantity; a
// ValueError naming whose when it is none.
QuantityUnit readOwnUnit(const QuantityInfo& info, const std::string& text, const std::string& whose);

// The unit an xarray DataArray's units attribute gives its numbers, read as
// readOwnUnit reads it; none without one.
std::optional<QuantityUnit> unitAttributeOf(const QuantityInfo& info, pybind11::handle array, const std::string& whose);

// "a, b and c".
std::string listed(const std::vector<std::string>& items, const char* last = " and ");

}  // namespace thalwen
