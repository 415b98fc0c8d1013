#include <gtest/gtest.h>

#include <span>
#include <utility>

#include "derived_quantities.h"
#include "ies80.h"

using namespace thalwen;

namespace {

using enum DerivedQuantity;

// A converted sample as far as the equations read it: TEOS-10 Absolute Salinity, IES-80 Practical Salinity.
Sample sample(double salinity, double t, double p, bool ies80 = false) {
    Sample s = kDefaultSample;
    (ies80 ? s.practicalSalinity : s.absoluteSalinity) = salinity;
    s.temperature = t;
    s.pressure = p;
    return s;
}

struct CheckValue {
    const char* source;
    Method method;
    Sample sample;
    DerivedQuantity quantity;
    double expected, tolerance;
};

constexpr Method kExact = Method::Teos10Exact, kPolynomial = Method::Teos10Polynomial;

// GSW-C's gsw_check_data.c, first cast, deepest bottle; tolerance the accuracy gsw_check_functions.c
// accepts for the function (its _ca constant).
const Sample kCast = sample(34.870229963515541, 1.5997999999999999, 6131);
// The example on the function's page of the GSW documentation (teos-10.org/pubs/gsw/html), last row;
// tolerance as above.
const Sample kPage = sample(34.7324, 4.4036, 1000);
const CheckValue kGsw[] = {
    {"check data ct_from_t", kExact, kCast, ConservativeTemperature, 1.0149634033235932, 6.3e-10},
    {"check data ct_from_t", kPolynomial, kCast, ConservativeTemperature, 1.0149634033235932, 6.3e-10},
    {"gsw_pt0_from_t page", kExact, kPage, PotentialTemperature, 4.324510571845719, 6.1e-10},
    {"gsw_pt0_from_t page", kPolynomial, kPage, PotentialTemperature, 4.324510571845719, 6.1e-10},
    {"gsw_pot_rho_t_exact page, p_ref 0", kExact, kPage, Sigma0, 1027.409631264134 - 1000, 3e-10},
    {"check data sigma0", kPolynomial, kCast, Sigma0, 27.809174435651812, 3e-10},
    {"gsw_sound_speed_t_exact page", kExact, kPage, SoundSpeed, 1483.934609078705, 2.6e-9},
    {"check data sound_speed", kPolynomial, kCast, SoundSpeed, 1559.7407674553888, 2.6e-9},
    {"gsw_t_freezing page, saturation 1", kExact, kPage, FreezingTemperature, -2.660498762776720, 2.2e-11},
    {"gsw_t_freezing page, saturation 1", kPolynomial, kPage, FreezingTemperature, -2.660498762776720, 2.2e-11},
};

// UNESCO Technical Papers in Marine Science 44 (1983): the check values of its subprograms, half a unit of
// their last digit. The report prints no potential density: sigma0 is EOS-80 at 0 dbar (its own check values
// in Eos80.PublishedDensityCheckValues) of THETA's check value, whose last digit leaves 2e-6 kg/m^3.
const Sample kUnesco = sample(40, 40, 10000, true);
const CheckValue kUnesco1983[] = {
    {"THETA", Method::Ies80, kUnesco, PotentialTemperature, 36.89073, 5e-6},
    {"SVEL", Method::Ies80, kUnesco, SoundSpeed, 1731.995, 5e-4},
    {"TF", Method::Ies80, sample(40, 40, 500, true), FreezingTemperature, -2.588567, 5e-7},
    {"EOS-80 of THETA", Method::Ies80, kUnesco, Sigma0, densityIes80AtZeroPressure(40, 36.89073) - 1000, 2e-6},
};

constexpr DerivedQuantitySet kAll = {ConservativeTemperature, PotentialTemperature, Sigma0, SoundSpeed,
                                     FreezingTemperature};

}  // namespace

TEST(DerivedQuantities, PublishedCheckValuesEachAskedAlone) {
    for (std::span<const CheckValue> table :
         {std::span<const CheckValue>(kGsw), std::span<const CheckValue>(kUnesco1983)})
        for (const CheckValue& row : table) {
            const DerivedQuantities derived = deriveQuantities(row.method, row.sample, {row.quantity});
            EXPECT_NEAR(valueOf(derived, row.quantity), row.expected, row.tolerance) << row.source;
            for (int i = 0; i < kDerivedQuantityCount; ++i) {
                if (i == static_cast<int>(row.quantity)) continue;
                EXPECT_EQ(valueOf(derived, DerivedQuantity(i)), kNoValue) << row.source << ", not asked: " << i;
            }
        }
}

TEST(DerivedQuantities, AllAtOnceAsEachAlone) {
    for (auto [method, s] : {std::pair{kExact, kPage}, {kPolynomial, kCast}, {Method::Ies80, kUnesco}}) {
        const DerivedQuantities all = deriveQuantities(method, s, kAll);
        for (int i = 0; i < kDerivedQuantityCount; ++i)
            EXPECT_EQ(valueOf(all, DerivedQuantity(i)),
                      valueOf(deriveQuantities(method, s, {DerivedQuantity(i)}), DerivedQuantity(i)))
                << static_cast<int>(method) << " " << i;
    }
    EXPECT_EQ(deriveQuantities(Method::Ies80, kUnesco, kAll).conservativeTemperature, kNoValue);
}

TEST(DerivedQuantities, FailureValueInIsAbsentOut) {
    const DerivedQuantities derived =
        deriveQuantities(Method::Ies80, sample(GSW_INVALID_VALUE, 10, 100, true), {SoundSpeed, FreezingTemperature});
    EXPECT_EQ(derived.soundSpeed, kNoValue);
    EXPECT_EQ(derived.freezingTemperature, kNoValue);
}
