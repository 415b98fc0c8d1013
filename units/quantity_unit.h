// A unit text read for one of the engine's quantities, the same for a CSV
// header, a netCDF variable and an xarray input: the user's own units (°F;
// S/m, µS/cm) convert as the options' values do, so that a value comes back
// exactly as given; any other unit by a linear map into the engine's.
#pragma once

#include <string>
#include <string_view>

#include "quantities.h"
#include "unit_reading.h"
#include "user_conversion.h"

namespace thalwen {

struct QuantityUnit {
    bool fahrenheit = false;                         // a temperature in degrees Fahrenheit
    const ConductivityUnit* conductivity = nullptr;  // a conductivity in one of the user's units
    UnitMap map;                                     // otherwise, into the engine's unit; identity for it
};

struct QuantityUnitReading {
    UnitStatus status;
    QuantityUnit unit;    // when Read
    std::string message;  // otherwise, naming the quantity as name: "'kg' is not a unit of temperature"
};

QuantityUnitReading readQuantityUnit(const QuantityInfo& info, std::string_view text, std::string_view name);

// Whether a map changes anything.
inline bool changes(const UnitMap& map) { return map.scale != 1 || map.offset != 0; }

}  // namespace thalwen
