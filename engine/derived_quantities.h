// The quantities derived from a converted sample on request: what a T-S
// diagram, a sonar or an ice study wants beside the sample itself. A caller
// pays only for those it asks for, and those asked for share their steps.
#pragma once

#include "sample.h"

namespace thalwen {

enum class DerivedQuantity {
    ConservativeTemperature,
    PotentialTemperature,
    Sigma0,
    SoundSpeed,
    FreezingTemperature,
};
constexpr int kDerivedQuantityCount = 5;

using DerivedQuantitySet = EnumSet<DerivedQuantity>;

// Each is kNoValue when not asked for, and where the method has none:
// IES-80 has no Conservative Temperature.
struct DerivedQuantities {
    double conservativeTemperature = kNoValue;  // CT [deg C]
    double potentialTemperature = kNoValue;     // referred to 0 dbar [deg C]
    double sigma0 = kNoValue;                   // density brought adiabatically to 0 dbar, minus 1000 [kg/m^3]
    double soundSpeed = kNoValue;               // [m/s]
    double freezingTemperature = kNoValue;      // in-situ, at the sample's pressure; TEOS-10: air-saturated [deg C]
};

// The member holding each quantity, in the order of DerivedQuantity.
inline constexpr double DerivedQuantities::*kDerivedMembers[kDerivedQuantityCount] = {
    &DerivedQuantities::conservativeTemperature,
    &DerivedQuantities::potentialTemperature,
    &DerivedQuantities::sigma0,
    &DerivedQuantities::soundSpeed,
    &DerivedQuantities::freezingTemperature,
};

inline double valueOf(const DerivedQuantities& derived, DerivedQuantity quantity) {
    return derived.*kDerivedMembers[static_cast<int>(quantity)];
}

// The quantities in wanted of a sample as convert left it (clamped, every
// quantity filled in). TEOS-10 takes Absolute Salinity, temperature and
// pressure from it, IES-80 Practical Salinity, temperature and pressure. One
// the equations find no value for is absent, never the library's failure value.
DerivedQuantities deriveQuantities(Method method, const Sample& converted, DerivedQuantitySet wanted);

}  // namespace thalwen
