#include "user_conversion.h"

#include <cfloat>
#include <cmath>

#include "convert.h"
#include "quantities.h"
#include "reference_water.h"

namespace thalwen {

Sample defaultSample(bool fahrenheit) {
    Sample sample = kDefaultSample;
    if (fahrenheit) {
        sample.temperature = celsiusToFahrenheit(sample.temperature);
        sample.referenceTemperature = celsiusToFahrenheit(sample.referenceTemperature);
    }
    return sample;
}

const ConductivityUnit* conductivityUnitNamed(std::string_view text) {
    for (const ConductivityUnit& unit : kConductivityUnits)
        if (text == unit.name || text == unit.ascii) return &unit;
    return nullptr;
}

double asGivenValue(double value) { return value == kNoValue ? std::nextafter(kNoValue, 0.0) : value; }

UserConversion convertSample(Method method, const Sample& given, bool fahrenheit,
                             const ConductivityUnit& conductivityUnit) {
    const ConductivityUnit& unit = conductivityUnit;
    Sample result = given;
    if (fahrenheit) {
        result.temperature = fahrenheitToCelsius(given.temperature);
        result.referenceTemperature = fahrenheitToCelsius(given.referenceTemperature);
    }
    const double givenConductivity = given.conductivity * unit.scaleUp / unit.scaleDown;
    if (isPresent(given.conductivity)) result.conductivity = asGivenValue(givenConductivity);
    const ConversionReport report = convert(method, result);
    UserConversion conversion{method, given, result, report.clamped};

    // As for the temperatures below: a conductivity used as given, or brought
    // to a bound that is the value typed, is the one typed. The two unit
    // conversions round twice: a bound typed in S/m or uS/cm (84540.96 uS/cm
    // for IES-80) may reach the engine a few units in the last place beyond it.
    double& conductivity = conversion.result.conductivity;
    const double used = conductivity * unit.scaleDown / unit.scaleUp;
    if (isPresent(given.conductivity) &&
        std::fabs(used - given.conductivity) <= 4 * DBL_EPSILON * std::fabs(given.conductivity)) {
        conversion.clamped.remove(Quantity::Conductivity);
        conductivity = given.conductivity;
    } else {
        conductivity = used;
    }
    if (!fahrenheit) return conversion;
    for (const QuantityInfo& info : kQuantities) {
        if (!info.temperature) continue;
        const double used = celsiusToFahrenheit(valueOf(result, info.quantity));
        const double typed = valueOf(given, info.quantity);
        // A bound typed in Fahrenheit reaches the engine a rounding beyond the
        // bound in Celsius (28.4 degF is -2.000000000000001 degC): brought to
        // the bound, it is used as typed.
        if (used == typed) conversion.clamped.remove(info.quantity);
        valueOf(conversion.result, info.quantity) = conversion.clamped.contains(info.quantity) ? used : typed;
    }
    return conversion;
}

}  // namespace thalwen
