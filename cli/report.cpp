#include "report.h"

#include <cmath>

#include "dispatch.h"
#include "fields.h"
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

unsigned clampedInputs(const Sample& given, const Sample& normalised, const Sample& result) {
    unsigned clamped = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        if (kFields[i].option == nullptr) continue;  // Absolute Salinity is never an input
        double in = field(given, i);
        if (kFields[i].salinityRelated && !isPresent(in)) continue;
        if (field(normalised, i) != in) clamped |= 1u << i;
    }
    // normalise turns a specific gravity into the density that the ranges then
    // clamp: a clamped density means the specific gravity did not fit.
    if (isPresent(given.specificGravity) && !isPresent(given.practicalSalinity) && !isPresent(given.density) &&
        !isPresent(given.conductivity)) {
        if (normalised.density != pureWaterDensity(normalised.referenceTemperature) * normalised.specificGravity ||
            result.density != normalised.density)
            clamped |= 1u << kSpecificGravity;
    }
    // The second pass recomputes a density or conductivity source from the
    // bounding Practical Salinity; the first pass leaves a source untouched.
    if (isPresent(given.density) && !isPresent(given.practicalSalinity) && result.density != normalised.density)
        clamped |= 1u << kDensity;
    if (isPresent(given.conductivity) && !isPresent(given.practicalSalinity) && !isPresent(given.density) &&
        result.conductivity != normalised.conductivity)
        clamped |= 1u << kConductivity;
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
    for (int i = 0; i < kFieldCount; ++i) {
        if (!kFields[i].temperature || !fahrenheit) continue;
        bool changed = conversion.clamped & (1u << i);
        field(conversion.result, i) = changed ? celsiusToFahrenheit(field(result, i)) : field(given, i);
    }
    return conversion;
}
