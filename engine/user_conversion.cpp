#include "user_conversion.h"

#include <array>
#include <cfloat>
#include <cmath>

#include "convert.h"
#include "quantities.h"
#include "reference_water.h"

namespace thalwen {

namespace {

// The band of each input, in a table of its own: every sample is held
// against them, and a loop over the vocabulary's rows took as long as the
// rest of the checks together.
struct InputBand {
    Quantity quantity;
    double Sample::*member;
    double lowest;
    double highest;
    bool salinityRelated;
};

constexpr int inputCount() {
    int count = 0;
    for (const QuantityInfo& info : kQuantities) count += info.input;
    return count;
}

constexpr std::array<InputBand, inputCount()> inputBands() {
    std::array<InputBand, inputCount()> bands{};
    std::size_t k = 0;
    for (const QuantityInfo& info : kQuantities)
        if (info.input)
            bands[k++] = {info.quantity, info.member, info.band.lowest, info.band.highest, info.salinityRelated};
    return bands;
}
inline constexpr std::array<InputBand, inputCount()> kInputBands = inputBands();

// Brings the temperatures of a conversion into the units they are shown in.
void withTemperaturesShown(UserConversion& conversion, const UserUnits& givenUnits, const UserUnits& shownUnits) {
    if (givenUnits.fahrenheit.empty() && shownUnits.fahrenheit.empty()) return;
    for (const QuantityInfo& info : kQuantities) {
        if (!info.temperature) continue;
        const bool givenInFahrenheit = givenUnits.fahrenheit.contains(info.quantity);
        const double celsius = valueOf(conversion.result, info.quantity);
        const double typed = valueOf(conversion.given, info.quantity);
        // A bound typed in Fahrenheit reaches the engine a rounding beyond the
        // bound in Celsius (28.4 degF is -2.000000000000001 degC): brought to
        // the bound, it is used as typed.
        if (givenInFahrenheit && celsiusToFahrenheit(celsius) == typed) conversion.clamped.remove(info.quantity);
        const bool shownInFahrenheit = shownUnits.fahrenheit.contains(info.quantity);
        double& shown = valueOf(conversion.result, info.quantity);
        if (givenInFahrenheit == shownInFahrenheit && !conversion.clamped.contains(info.quantity))
            shown = typed;
        else
            shown = shownInFahrenheit ? celsiusToFahrenheit(celsius) : celsius;
    }
}

// Brings the conductivity of a conversion into the unit it is shown in. As
// for the temperatures: a conductivity used as given, or brought to a bound
// that is the value typed, is the one typed. The two unit conversions round
// twice: a bound typed in S/m or uS/cm (84540.96 uS/cm for IES-80) may reach
// the engine a few units in the last place beyond it.
void withConductivityShown(UserConversion& conversion, const UserUnits& givenUnits, const UserUnits& shownUnits) {
    const ConductivityUnit &unit = *givenUnits.conductivity, &shownUnit = *shownUnits.conductivity;
    const double given = conversion.given.conductivity;
    double& conductivity = conversion.result.conductivity;
    if (!isPresent(conductivity)) return;  // not wanted
    const double used = unit.scaleUp == unit.scaleDown ? conductivity : conductivity * unit.scaleDown / unit.scaleUp;
    const bool asGiven = isPresent(given) && std::fabs(used - given) <= 4 * DBL_EPSILON * std::fabs(given);
    if (asGiven) conversion.clamped.remove(Quantity::Conductivity);
    if (&unit == &shownUnit)
        conductivity = asGiven ? given : used;
    else
        conductivity = conductivity * shownUnit.scaleDown / shownUnit.scaleUp;
}

// The quantities derived from the engine's sample, temperatures in the unit
// the in-situ temperature is shown in.
DerivedQuantities derivedShown(Method method, const Sample& converted, DerivedQuantitySet wanted,
                               const UserUnits& shownUnits) {
    DerivedQuantities derived = deriveQuantities(method, converted, wanted);
    if (shownUnits.fahrenheit.contains(Quantity::Temperature))
        for (const DerivedInfo& info : kDerivedQuantities) {
            double& value = derived.*kDerivedMembers[static_cast<int>(info.quantity)];
            if (info.temperature && isPresent(value)) value = celsiusToFahrenheit(value);
        }
    return derived;
}

}  // namespace

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

const TemperatureUnit* temperatureUnitNamed(std::string_view text) {
    for (const TemperatureUnit& unit : kTemperatureUnitsUtf8)
        if (text == unit.name || text == unit.ascii) return &unit;
    return nullptr;
}

const char* unitName(Quantity quantity, const UserUnits& units) {
    if (quantity == Quantity::Conductivity) return units.conductivity->name;
    const QuantityInfo& info = infoOf(quantity);
    return info.temperature && units.fahrenheit.contains(quantity) ? kFahrenheit.name : info.unit;
}

double inEngineUnit(Quantity quantity, double value, const UserUnits& units) {
    // mS/cm is the engine's unit: nothing to compute (value * 1 / 1 is value,
    // to the bit), for the millions of samples of an array or a batch.
    const ConductivityUnit& unit = *units.conductivity;
    if (quantity == Quantity::Conductivity)
        return unit.scaleUp == unit.scaleDown ? value : value * unit.scaleUp / unit.scaleDown;
    return units.fahrenheit.contains(quantity) ? fahrenheitToCelsius(value) : value;
}

UserUnits userUnits(bool fahrenheit, const ConductivityUnit& conductivityUnit) {
    UserUnits units;
    units.conductivity = &conductivityUnit;
    if (fahrenheit)
        for (const QuantityInfo& info : kQuantities)
            if (info.temperature) units.fahrenheit.add(info.quantity);
    return units;
}

double asGivenValue(double value) { return value == kNoValue ? std::nextafter(kNoValue, 0.0) : value; }

UserConversion convertSample(Method method, const Sample& given, bool fahrenheit,
                             const ConductivityUnit& conductivityUnit) {
    const UserUnits units = userUnits(fahrenheit, conductivityUnit);
    return convertSample(method, given, units, units);
}

UserConversion convertSample(Method method, const Sample& given, const UserUnits& givenUnits,
                             const UserUnits& shownUnits, DerivedQuantitySet wanted, QuantitySet results) {
    // Made where it is returned, never copied, and never cleared whole (its
    // members' own initialisers do): an array converts millions of samples,
    // and copying or clearing this record took as long as every check here.
    UserConversion conversion;
    conversion.method = method;
    conversion.given = given;
    conversion.result = given;
    Sample& result = conversion.result;
    if (!givenUnits.fahrenheit.empty())  // a batch converts millions of samples, mostly in Celsius
        for (const QuantityInfo& info : kQuantities)
            if (info.temperature)
                valueOf(result, info.quantity) = inEngineUnit(info.quantity, valueOf(given, info.quantity), givenUnits);
    const double givenConductivity = inEngineUnit(Quantity::Conductivity, given.conductivity, givenUnits);
    if (isPresent(given.conductivity)) result.conductivity = asGivenValue(givenConductivity);
    for (const InputBand& input : kInputBands) {
        const double value = result.*input.member;
        if (value >= input.lowest && value <= input.highest) continue;  // nearly every sample
        if (input.salinityRelated && !isPresent(value)) continue;
        if (const char* why = outsideBand(input.quantity, value)) {
            conversion.impossible.add(input.quantity);
            if (!conversion.whyImpossible) conversion.whyImpossible = why;
        }
    }
    // TEOS-10 derives from the Absolute Salinity.
    if (!wanted.empty() && method != Method::Ies80) results.add(Quantity::AbsoluteSalinity);
    conversion.clamped = convert(method, result, results).clamped;
    if (!wanted.empty()) conversion.derived = derivedShown(method, result, wanted, shownUnits);

    withConductivityShown(conversion, givenUnits, shownUnits);
    withTemperaturesShown(conversion, givenUnits, shownUnits);
    return conversion;
}

}  // namespace thalwen
