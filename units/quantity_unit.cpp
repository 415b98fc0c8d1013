#include "quantity_unit.h"

#include <cmath>

namespace thalwen {

QuantityUnitReading readQuantityUnit(const QuantityInfo& info, std::string_view text, std::string_view name) {
    QuantityUnitReading reading{UnitStatus::Read, {}, {}};
    QuantityUnit& unit = reading.unit;
    if (info.temperature)
        if (const TemperatureUnit* temperature = temperatureUnitNamed(text)) {
            unit.fahrenheit = temperature->fahrenheit;
            return reading;
        }
    if (info.quantity == Quantity::Conductivity)
        if ((unit.conductivity = conductivityUnitNamed(text))) return reading;
    // The engine's own unit needs no reading (nor UDUNITS-2's database, which
    // takes milliseconds to load).
    if (text == info.unit || text == info.engineUnit) return reading;
    const UnitReading read = readUnit(text, {info.engineUnit, name, info.quantity == Quantity::PracticalSalinity});
    if (read.status != UnitStatus::Read) return {read.status, {}, read.message};
    // UDUNITS-2's exact equivalents of the user's units take their exact paths.
    if (info.temperature && read.map.scale == 5.0 / 9 && std::fabs(read.map.offset + 160.0 / 9) < 1e-9) {
        unit.fahrenheit = true;
        return reading;
    }
    if (info.quantity == Quantity::Conductivity)
        for (const ConductivityUnit& conductivity : kConductivityUnits)
            if (read.map.offset == 0 && read.map.scale == conductivity.scaleUp / conductivity.scaleDown) {
                unit.conductivity = &conductivity;
                return reading;
            }
    unit.map = read.map;
    return reading;
}

}  // namespace thalwen
