// One conversion in the units a person works in (degrees Fahrenheit on
// request, conductivity in mS/cm, S/m or uS/cm), for every front end that
// takes such units: the engine converts in Celsius and mS/cm, and tells which
// inputs the ranges changed.
#pragma once

#include <string_view>

#include "convert.h"
#include "derived_quantities.h"
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

// A unit temperatures are taken and shown in; the engine works in degrees Celsius.
struct TemperatureUnit {
    const char* name;   // as the outputs show it
    const char* ascii;  // its spelling without the degree sign, also taken
    bool fahrenheit;
};

inline constexpr TemperatureUnit kTemperatureUnitsUtf8[] = {
    {"°C", "degC", false},
    {"°F", "degF", true},
};
inline constexpr const TemperatureUnit& kFahrenheit = kTemperatureUnitsUtf8[1];

// The unit named text, or nullptr.
const TemperatureUnit* temperatureUnitNamed(std::string_view text);

// The units of the values of one sample, quantity by quantity: a batch row may
// give its temperature in degrees Fahrenheit from its column and take its
// reference temperature in Celsius from an option.
struct UserUnits {
    QuantitySet fahrenheit;  // the temperatures in degrees Fahrenheit; the others in Celsius
    const ConductivityUnit* conductivity = &kMilliSiemensPerCentimetre;
};

// The unit of quantity's values in units, as the outputs show it: "°F",
// "S/m", "kg/m³"; "" for a quantity without one.
const char* unitName(Quantity quantity, const UserUnits& units);

// Every temperature in degrees Fahrenheit, or none.
UserUnits userUnits(bool fahrenheit, const ConductivityUnit& conductivityUnit = kMilliSiemensPerCentimetre);

// The defaults in the units the user works in.
Sample defaultSample(bool fahrenheit);

// value, of quantity in units, in the engine's unit (degrees Celsius, mS/cm),
// where its band is held.
double inEngineUnit(Quantity quantity, double value, const UserUnits& units);

struct UserConversion {
    Method method;
    Sample given;         // as the user gave it, in the user's units
    Sample result;        // filled, in the user's units
    QuantitySet clamped;  // the inputs the ranges changed, as the engine reports them
    // The inputs given a value no sample can have (outside their band): no
    // measurement, whatever the result says; and why the first of them is none.
    QuantitySet impossible;
    const char* whyImpossible = nullptr;
    DerivedQuantities derived;  // those asked for, in the user's units
};

// Converts given (temperatures in Fahrenheit when asked, conductivity in
// conductivityUnit). Inputs that fitted their ranges come back exactly as
// given, so no unit round trip shows in them; a temperature or conductivity
// counts as clamped when the value used, in the user's unit, is not the value
// given. Every input is held against its band in the engine's unit; an absent
// salinity-related one is simply not given.
UserConversion convertSample(Method method, const Sample& given, bool fahrenheit,
                             const ConductivityUnit& conductivityUnit = kMilliSiemensPerCentimetre);

// The same with the given values in givenUnits and the result in shownUnits.
// Whether an input counts as clamped is decided in the unit it was given in;
// an input used as given comes back exactly as given when both units agree.
// The quantities derived that are wanted come with it, their temperatures in
// the unit the in-situ temperature is shown in. Of the sample's own results,
// those not in results may be left absent, as convert leaves them.
UserConversion convertSample(Method method, const Sample& given, const UserUnits& givenUnits,
                             const UserUnits& shownUnits, DerivedQuantitySet wanted = {},
                             QuantitySet results = kEveryQuantity);

// A salinity-related value given by the user must never read as absent: the
// engine's absent marker is moved to the next number towards zero, which the
// ranges raise to their lower bound like any other value that low.
double asGivenValue(double value);

}  // namespace thalwen
