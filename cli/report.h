// One conversion as the command line runs it: inputs in the user's units,
// the engine in Celsius, and which inputs the ranges changed.
#pragma once

#include "sample.h"

// The defaults in the units the user works in.
Sample defaultSample(bool fahrenheit);

struct Conversion {
    Method method;
    Sample given;         // as the user gave it (temperatures in the user's unit)
    Sample result;        // filled, temperatures in the user's unit
    QuantitySet clamped;  // the inputs the ranges changed, as the engine reports them
};

// Converts given (temperatures in Fahrenheit when asked). Inputs that fitted
// their ranges come back exactly as given, so no unit round trip shows in
// them; a temperature counts as clamped when the value used, in the user's
// unit, is not the value given.
Conversion convertSample(Method method, const Sample& given, bool fahrenheit);

// A salinity-related value given by the user must never read as absent: the
// engine's absent marker is moved to the next number towards zero, which the
// ranges raise to their lower bound like any other value that low.
double asGivenValue(double value);
