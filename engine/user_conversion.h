// One conversion in the units a person works in (degrees Fahrenheit on
// request, conductivity in mS/cm, S/m or uS/cm), for every front end that
// takes such units: the engine converts in Celsius and mS/cm, and tells which
// inputs the ranges changed.
#pragma once

#include <string_view>

#include "sample.h"

namespace thalwen {

// A unit conductivity is taken and shown in; the engine works in mS/cm. A value in this unit is scaleUp / scaleDown
// mS/cm, both exact, so that each way is one correctly rounded operation.
struct ConductivityUnit {
    const char* name;   // as the outputs show it and the options take it
    const char* ascii;  // its spelling without the micro sign, also taken
    double scaleUp;
    double scaleDown;
    int decimals;  // the resolution of the five decimals of mS/cm
};

inline constexpr ConductivityUnit kConductivityUnits[] = {
    {"mS/cm", "mS/cm", 1, 1, 5},
    {"S/m", "S/m", 10, 1, 6},
    {"µS/cm", "uS/cm", 1, 1000, 2},
};
inline constexpr const ConductivityUnit& kMilliSiemensPerCentimetre = kConductivityUnits[0];

// The unit named text, or nullptr.
const ConductivityUnit* conductivityUnitNamed(std::string_view text);

// The defaults in the units the user works in.
Sample defaultSample(bool fahrenheit);

struct UserConversion {
    Method method;
    Sample given;         // as the user gave it, in the user's units
    Sample result;        // filled, in the user's units
    QuantitySet clamped;  // the inputs the ranges changed, as the engine reports them
};

// Converts given (temperatures in Fahrenheit when asked, conductivity in
// conductivityUnit). Inputs that fitted their ranges come back exactly as
// given, so no unit round trip shows in them; a temperature or conductivity
// counts as clamped when the value used, in the user's unit, is not the value
// given.
UserConversion convertSample(Method method, const Sample& given, bool fahrenheit,
                             const ConductivityUnit& conductivityUnit = kMilliSiemensPerCentimetre);

// A salinity-related value given by the user must never read as absent: the
// engine's absent marker is moved to the next number towards zero, which the
// ranges raise to their lower bound like any other value that low.
double asGivenValue(double value);

}  // namespace thalwen
