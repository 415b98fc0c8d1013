#include "report.h"

#include <cmath>

#include "dispatch.h"
#include "quantities.h"
#include "reference_water.h"

Sample defaultSample(bool fahrenheit) {
    Sample sample = kDefaultSample;
    if (fahrenheit) {
        sample.temperature = celsiusToFahrenheit(sample.temperature);
        sample.referenceTemperature = celsiusToFahrenheit(sample.referenceTemperature);
    }
    return sample;
}

double asGivenValue(double value) { return value == kNoValue ? std::nextafter(kNoValue, 0.0) : value; }

Conversion convertSample(Method method, const Sample& given, bool fahrenheit) {
    Sample result = given;
    if (fahrenheit) {
        result.temperature = fahrenheitToCelsius(given.temperature);
        result.referenceTemperature = fahrenheitToCelsius(given.referenceTemperature);
    }
    const ConversionReport report = convert(method, result);
    Conversion conversion{method, given, result, report.clamped};
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
