#include "derived_quantities.h"

#include <cmath>

#include "gsw.h"
#include "ies80.h"

namespace thalwen {

namespace {

constexpr double kAirSaturated = 1.0;  // the fraction of dissolved air gsw_t_freezing takes

// The library answers 9e15 where it has no result; nothing it computes for
// water comes near this.
constexpr double kLibraryErrorLimit = 1e10;

// Conservative Temperature, and the polynomial sigma0 and sound speed made
// from it, stay in double precision: they are results in their own right and
// must be the library's. The single-precision steps of the converted density
// would move a CT of 30 deg C by up to 4e-6 deg C.
DerivedQuantities deriveTeos10(bool polynomial, const Sample& s, DerivedQuantitySet wanted) {
    const double sa = s.absoluteSalinity, t = s.temperature, p = s.pressure;
    const bool sigma0 = wanted.contains(DerivedQuantity::Sigma0);
    const bool soundSpeed = wanted.contains(DerivedQuantity::SoundSpeed);
    const bool needCt =
        wanted.contains(DerivedQuantity::ConservativeTemperature) || (polynomial && (sigma0 || soundSpeed));
    const bool needPt = needCt || sigma0 || wanted.contains(DerivedQuantity::PotentialTemperature);
    // gsw_ct_from_t goes through this same potential temperature, so taking
    // CT from it gives the very same number for one library call less.
    const double pt = needPt ? gsw_pt0_from_t(sa, t, p) : kNoValue;
    const double ct = needCt ? gsw_ct_from_pt(sa, pt) : kNoValue;

    DerivedQuantities out;
    if (wanted.contains(DerivedQuantity::ConservativeTemperature)) out.conservativeTemperature = ct;
    if (wanted.contains(DerivedQuantity::PotentialTemperature)) out.potentialTemperature = pt;
    if (sigma0) out.sigma0 = polynomial ? gsw_sigma0(sa, ct) : gsw_rho_t_exact(sa, pt, 0.0) - 1000.0;
    if (soundSpeed) out.soundSpeed = polynomial ? gsw_sound_speed(sa, ct, p) : gsw_sound_speed_t_exact(sa, t, p);
    if (wanted.contains(DerivedQuantity::FreezingTemperature))
        out.freezingTemperature = gsw_t_freezing(sa, p, kAirSaturated);
    return out;
}

DerivedQuantities deriveIes80(const Sample& s, DerivedQuantitySet wanted) {
    const double sp = s.practicalSalinity, t = s.temperature, p = s.pressure;
    const bool sigma0 = wanted.contains(DerivedQuantity::Sigma0);
    const bool needTheta = sigma0 || wanted.contains(DerivedQuantity::PotentialTemperature);
    const double theta = needTheta ? potentialTemperatureIes80(sp, t, p, 0.0) : kNoValue;

    DerivedQuantities out;
    if (wanted.contains(DerivedQuantity::PotentialTemperature)) out.potentialTemperature = theta;
    if (sigma0) out.sigma0 = densityIes80AtZeroPressure(sp, theta) - 1000.0;
    if (wanted.contains(DerivedQuantity::SoundSpeed)) out.soundSpeed = soundSpeedIes80(sp, t, p);
    if (wanted.contains(DerivedQuantity::FreezingTemperature))
        out.freezingTemperature = freezingTemperatureIes80(sp, p);
    return out;
}

}  // namespace

DerivedQuantities deriveQuantities(Method method, const Sample& converted, DerivedQuantitySet wanted) {
    DerivedQuantities out = method == Method::Ies80
                                ? deriveIes80(converted, wanted)
                                : deriveTeos10(method == Method::Teos10Polynomial, converted, wanted);
    for (double DerivedQuantities::*member : kDerivedMembers)
        if (std::fabs(out.*member) >= kLibraryErrorLimit) out.*member = kNoValue;
    return out;
}

}  // namespace thalwen
