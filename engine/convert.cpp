#include "convert.h"

#include <cmath>

#include "gsw.h"
#include "ies80.h"
#include "quantities.h"
#include "reference_water.h"
#include "teos10_inversions.h"

namespace thalwen {

namespace {

// A value outside the quantity's range under method becomes the bound it
// passes, and the result tells so; a not-a-number stays as it is.
bool clamp(double& value, Quantity quantity, Method method) {
    const Range range = rangeOf(quantity, method);
    if (value < range.lowest) {
        value = range.lowest;
        return true;
    }
    if (value > range.highest) {
        value = range.highest;
        return true;
    }
    return false;
}

void clampInput(Sample& s, Quantity quantity, Method method, QuantitySet& clamped) {
    if (clamp(valueOf(s, quantity), quantity, method)) clamped.add(quantity);
}

// A longitude is a position on a circle: one outside the range is brought
// into it by whole turns (183 becomes -177), exactly, as fmod is exact and so
// is taking one turn off a remainder beyond half a turn. An infinite one has
// no position and goes to the bound it passes, a not-a-number stays as it is.
void turnLongitude(Sample& s, Method method, QuantitySet& clamped) {
    const Range range = rangeOf(Quantity::Longitude, method);
    if (!std::isfinite(s.longitude)) {
        clampInput(s, Quantity::Longitude, method, clamped);
        return;
    }
    if (s.longitude >= range.lowest && s.longitude <= range.highest) return;
    const double turn = range.highest - range.lowest;
    const double remainder = std::fmod(s.longitude, turn);  // -540 gives -180, which stays
    if (remainder > range.highest) {
        s.longitude = remainder - turn;
    } else if (remainder < range.lowest) {
        s.longitude = remainder + turn;
    } else {
        s.longitude = remainder + 0.0;  // -360 turns to 0, not to -0
    }
}

Range salinityRange(Method method) { return rangeOf(Quantity::PracticalSalinity, method); }

// Where the salinity of a sample comes from, in order of precedence.
enum class Source { PracticalSalinity, Density, Conductivity, SpecificGravity, Default };

Quantity quantityOf(Source source) {
    switch (source) {
    case Source::Density:
        return Quantity::Density;
    case Source::Conductivity:
        return Quantity::Conductivity;
    case Source::SpecificGravity:
        return Quantity::SpecificGravity;
    default:
        return Quantity::PracticalSalinity;
    }
}

Source sourceOf(const Sample& s) {
    if (isPresent(s.practicalSalinity)) return Source::PracticalSalinity;
    if (isPresent(s.density)) return Source::Density;
    if (isPresent(s.conductivity)) return Source::Conductivity;
    if (isPresent(s.specificGravity)) return Source::SpecificGravity;
    return Source::Default;
}

// Keeps exactly one of practicalSalinity, density and conductivity present; a
// specific gravity becomes a density. A specific gravity given beside another
// source is left alone: the conversion overwrites it at its end.
void chooseSource(Source source, Method method, Sample& s, QuantitySet& clamped) {
    switch (source) {
    case Source::PracticalSalinity:
        s.density = kNoValue;
        s.conductivity = kNoValue;
        break;
    case Source::Density:
        s.conductivity = kNoValue;
        break;
    case Source::Conductivity:
        break;
    case Source::SpecificGravity:
        clampInput(s, Quantity::SpecificGravity, method, clamped);
        s.density = pureWaterDensity(s.referenceTemperature) * s.specificGravity;
        break;
    case Source::Default:
        s.practicalSalinity = kDefaultSalinity;
        break;
    }
}

// Whether a density is to be made: for itself or for the specific gravity.
bool densityWanted(QuantitySet wanted) {
    return wanted.contains(Quantity::Density) || wanted.contains(Quantity::SpecificGravity);
}

void computeIes80(Sample& s, QuantitySet wanted) {
    s.absoluteSalinity = kNoValue;
    if (isPresent(s.conductivity) && !isPresent(s.practicalSalinity))
        s.practicalSalinity = practicalSalinityFromConductivity(s.conductivity / 10.0, s.temperature, s.pressure);
    if (isPresent(s.density) && !isPresent(s.practicalSalinity))
        s.practicalSalinity = salinityFromDensityIes80(s.density, s.temperature, s.pressure);
    if (isPresent(s.practicalSalinity) && !isPresent(s.conductivity) && wanted.contains(Quantity::Conductivity))
        s.conductivity = conductivityFromPracticalSalinity(s.practicalSalinity, s.temperature, s.pressure) * 10.0;
    if (isPresent(s.practicalSalinity) && !isPresent(s.density) && densityWanted(wanted))
        s.density = densityIes80(s.practicalSalinity, s.temperature, s.pressure);
}

// The polynomial density goes through potential and Conservative Temperature
// held in single precision, as the density it inverts does.
double polynomialDensityFromSalinity(const Sample& s) {
    const float pt = static_cast<float>(gsw_pt_from_t(s.absoluteSalinity, s.temperature, s.pressure, 0.0));
    const float ct = static_cast<float>(gsw_ct_from_pt(s.absoluteSalinity, pt));
    return gsw_rho(s.absoluteSalinity, ct, s.pressure);
}

void computeTeos10(Method method, Sample& s, QuantitySet wanted) {
    if (isPresent(s.conductivity) && !isPresent(s.practicalSalinity))
        s.practicalSalinity = gsw_sp_from_c(s.conductivity, s.temperature, s.pressure);
    s.absoluteSalinity = kNoValue;
    const bool density = densityWanted(wanted);
    if (isPresent(s.practicalSalinity) && (density || wanted.contains(Quantity::AbsoluteSalinity)))
        s.absoluteSalinity = gsw_sa_from_sp(s.practicalSalinity, s.pressure, s.longitude, s.latitude);

    const bool polynomial = method == Method::Teos10Polynomial;
    if (isPresent(s.practicalSalinity) && !isPresent(s.density) && density)
        s.density = polynomial ? polynomialDensityFromSalinity(s)
                               : gsw_rho_t_exact(s.absoluteSalinity, s.temperature, s.pressure);
    if (isPresent(s.density) && !isPresent(s.practicalSalinity)) {
        s.absoluteSalinity = polynomial ? absoluteSalinityFromDensityPolynomial(s.density, s.temperature, s.pressure)
                                        : absoluteSalinityFromDensityExact(s.density, s.temperature, s.pressure);
        s.practicalSalinity = gsw_sp_from_sa(s.absoluteSalinity, s.pressure, s.longitude, s.latitude);
    }

    if (isPresent(s.practicalSalinity) && !isPresent(s.conductivity) && wanted.contains(Quantity::Conductivity))
        s.conductivity = gsw_c_from_sp(s.practicalSalinity, s.temperature, s.pressure);
}

// An inversion that found nothing leaves a Practical Salinity that is not a
// number or of the order of the failure value.
bool inversionFailed(double practicalSalinity) { return std::isnan(practicalSalinity) || practicalSalinity > 1e10; }

// When an inversion finds nothing we still know on which side of the range the
// given water lies: compare it with the water of the lowest admitted salinity at
// the same temperature, pressure and position.
double boundForFailedInversion(Method method, Source source, const Sample& failed) {
    Sample lowest = failed;
    lowest.practicalSalinity = salinityRange(method).lowest;
    compute(method, lowest);
    const bool fromConductivity = source == Source::Conductivity;
    const double given = fromConductivity ? failed.conductivity : failed.density;
    const double reference = fromConductivity ? lowest.conductivity : lowest.density;
    return given <= reference ? salinityRange(method).lowest : salinityRange(method).highest;
}

}  // namespace

QuantitySet normalise(Method method, Sample& s) {
    QuantitySet clamped;
    clampInput(s, Quantity::ReferenceTemperature, method, clamped);
    const Source source = sourceOf(s);
    chooseSource(source, method, s, clamped);
    turnLongitude(s, method, clamped);
    clampInput(s, Quantity::Latitude, method, clamped);
    clampInput(s, Quantity::Temperature, method, clamped);
    clampInput(s, Quantity::Pressure, method, clamped);
    if (isPresent(s.practicalSalinity)) clampInput(s, Quantity::PracticalSalinity, method, clamped);
    // A density made from a specific gravity is no input of the user's: its
    // bound is the specific gravity's.
    if (isPresent(s.density) && clamp(s.density, Quantity::Density, method))
        clamped.add(source == Source::SpecificGravity ? Quantity::SpecificGravity : Quantity::Density);
    if (isPresent(s.conductivity)) clampInput(s, Quantity::Conductivity, method, clamped);
    return clamped;
}

QuantitySet compute(Method method, Sample& sample, QuantitySet wanted) {
    const QuantitySet clamped = normalise(method, sample);
    if (method == Method::Ies80) {
        computeIes80(sample, wanted);
    } else {
        computeTeos10(method, sample, wanted);
    }
    sample.specificGravity = sample.density / pureWaterDensity(sample.referenceTemperature);
    // A density not wanted makes no specific gravity: absent, never a number made of none.
    if (!isPresent(sample.density)) sample.specificGravity = kNoValue;
    return clamped;
}

ConversionReport convert(Method method, Sample& sample, QuantitySet wanted) {
    const Source source = sourceOf(sample);
    ConversionReport report{compute(method, sample, wanted)};

    const double found = sample.practicalSalinity;
    const bool inverted = source != Source::PracticalSalinity && source != Source::Default;
    double bound;
    if (inverted && inversionFailed(found)) {
        bound = boundForFailedInversion(method, source, sample);
    } else if (found < salinityRange(method).lowest) {
        bound = salinityRange(method).lowest;
    } else if (found > salinityRange(method).highest) {
        bound = salinityRange(method).highest;
    } else {
        return report;
    }
    // The salinity found lies outside the accepted input range: every quantity
    // returned belongs to the water at the bound, the given source included.
    sample.practicalSalinity = bound;
    compute(method, sample);
    report.atSalinityBound = true;
    report.clamped.add(quantityOf(source));
    return report;
}

}  // namespace thalwen
