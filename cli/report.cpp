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

QuantitySet clampedInputs(const Sample& given, const Sample& normalised, const Sample& result) {
    QuantitySet clamped;
    for (const QuantityInfo& info : kQuantities) {
        if (!info.input) continue;
        double in = valueOf(given, info.quantity);
        if (info.salinityRelated && !isPresent(in)) continue;
        if (valueOf(normalised, info.quantity) != in) clamped.add(info.quantity);
    }
    // normalise turns a specific gravity into the density that the ranges then
    // clamp: a clamped density means the specific gravity did not fit.
    if (isPresent(given.specificGravity) && !isPresent(given.practicalSalinity) && !isPresent(given.density) &&
        !isPresent(given.conductivity)) {
        if (normalised.density != pureWaterDensity(normalised.referenceTemperature) * normalised.specificGravity ||
            result.density != normalised.density)
            clamped.add(Quantity::SpecificGravity);
    }
    // The second pass recomputes a density or conductivity source from the
    // bounding Practical Salinity; the first pass leaves a source untouched.
    if (isPresent(given.density) && !isPresent(given.practicalSalinity) && result.density != normalised.density)
        clamped.add(Quantity::Density);
    if (isPresent(given.conductivity) && !isPresent(given.practicalSalinity) && !isPresent(given.density) &&
        result.conductivity != normalised.conductivity)
        clamped.add(Quantity::Conductivity);
    return clamped;
}

Conversion convertSample(Method method, const Sample& given, bool fahrenheit) {
    Sample celsius = given;
    if (fahrenheit) {
        celsius.temperature = fahrenheitToCelsius(given.temperature);
        celsius.referenceTemperature = fahrenheitToCelsius(given.referenceTemperature);
    }
    Sample normalised = celsius;
    normalise(method, normalised);
    Sample result = celsius;
    convert(method, result);

    Conversion conversion{method, given, result, clampedInputs(celsius, normalised, result)};
    for (const QuantityInfo& info : kQuantities) {
        if (!info.temperature || !fahrenheit) continue;
        bool changed = conversion.clamped.contains(info.quantity);
        valueOf(conversion.result, info.quantity) =
            changed ? celsiusToFahrenheit(valueOf(result, info.quantity)) : valueOf(given, info.quantity);
    }
    return conversion;
}
