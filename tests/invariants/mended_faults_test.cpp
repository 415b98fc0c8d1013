// The three faults mended in convert, checked everywhere on the grid and on
// random samples: southern latitudes are kept (down to -86, where the library
// stops giving Absolute Salinity); a density or conductivity that no
// admitted salinity reaches ends at the bound on its own side; no
// not-a-number and no failure value leaves convert for any numeric input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "convert.h"
#include "gsw.h"
#include "reference_water.h"
#include "samples.h"

using namespace thalwen;

namespace {

Sample converted(Method method, Sample s) {
    convert(method, s);
    return s;
}

std::vector<Case> gridAndRandomCases() {
    std::vector<Case> cases = gridCases();
    const std::vector<Case> random = randomCases(300);
    cases.insert(cases.end(), random.begin(), random.end());
    return cases;
}

double clampedTo(double value, double lower, double upper) { return std::fmin(std::fmax(value, lower), upper); }

bool sound(double value) { return !std::isnan(value) && std::fabs(value) < 1e10; }

bool allSound(const Sample& s) {
    for (double value : {s.pressure, s.longitude, s.latitude, s.temperature, s.practicalSalinity, s.absoluteSalinity,
                         s.density, s.conductivity, s.specificGravity, s.referenceTemperature})
        if (!sound(value)) return false;
    return true;
}

// The source value as convert uses it: clamped, a specific gravity as density.
double givenSourceValue(const Case& c) {
    const bool ies80 = c.method == Method::Ies80;
    const Sample& g = c.given;
    switch (c.source) {
    case Source::Density:
        return clampedTo(g.density, 1000, ies80 ? 1076.70763 : 1082.71524);
    case Source::SpecificGravity:
        return clampedTo(pureWaterDensity(clampedTo(g.referenceTemperature, 0, 40)) * std::fmax(g.specificGravity, 1),
                         1000, ies80 ? 1076.70763 : 1082.71524);
    case Source::Conductivity:
        return ies80 ? clampedTo(g.conductivity, 0.0005, 84.54096) : clampedTo(g.conductivity, 0.002, 90.90227);
    case Source::PracticalSalinity:
        break;
    }
    return 0;
}

double sourceValueOf(const Case& c, const Sample& result) {
    return c.source == Source::Conductivity ? result.conductivity : result.density;
}

// How far a value may lie beyond the water at a bound and still be met by the
// inversion's tolerance rather than fail: IES-80 bisects to 1e-5 of the
// density or the salinity; TEOS-10 inverts to rounding, but the polynomial
// method's forward density carries single-precision temperatures (about 2e-6
// in Sp).
double sideTolerance(const Case& c, double value) {
    if (c.method == Method::Ies80) return c.source == Source::Conductivity ? 2e-5 * value : 1e-5 * value;
    return 1e-8 * value;
}

}  // namespace

TEST(MendedFaults, SouthernLatitudesAreKeptDownToMinus86) {
    int failures = 0;
    for (const Case& c : gridAndRandomCases()) {
        const Sample result = converted(c.method, c.given);
        bool ok = result.latitude == clampedTo(c.given.latitude, -86, 90);
        // Absolute and Practical Salinity are related at the position as
        // given, not at the equator's (either may have been derived from the
        // other, so the library's two directions agree to rounding).
        if (c.method != Method::Ies80)
            ok = ok && std::fabs(result.absoluteSalinity - gsw_sa_from_sp(result.practicalSalinity, result.pressure,
                                                                          result.longitude, result.latitude)) < 1e-9;
        if (!ok && ++failures <= 5)
            ADD_FAILURE() << describe(c) << ": latitude " << result.latitude << ", SA " << result.absoluteSalinity;
    }
    EXPECT_EQ(failures, 0);

    for (Method method : {Method::Teos10Polynomial, Method::Teos10Exact}) {
        for (double latitude : {-90.0, -86.000001, -1e300}) {
            Sample s = sampleFrom(Source::PracticalSalinity, 35);
            s.latitude = latitude;
            const Sample result = converted(method, s);
            EXPECT_EQ(result.latitude, -86) << latitude;
            EXPECT_TRUE(sound(result.absoluteSalinity)) << latitude;
        }
    }
}

TEST(MendedFaults, UnreachableDensityOrConductivityEndsAtTheBoundOnItsSide) {
    int failures = 0, belowLowest = 0, aboveHighest = 0;
    for (const Case& c : gridAndRandomCases()) {
        if (c.source == Source::PracticalSalinity) continue;
        const Sample result = converted(c.method, c.given);
        // The waters at the two bounds, at the same temperature, pressure and position.
        Sample atBound = c.given;
        atBound.density = atBound.conductivity = atBound.specificGravity = kNoValue;
        atBound.practicalSalinity = lowestSalinity(c.method);
        const double lowest = sourceValueOf(c, converted(c.method, atBound));
        atBound.practicalSalinity = 42;
        const double highest = sourceValueOf(c, converted(c.method, atBound));

        const double given = givenSourceValue(c);
        const double tolerance = sideTolerance(c, given);
        double expected = std::numeric_limits<double>::quiet_NaN();
        if (given < lowest - tolerance) {
            expected = lowestSalinity(c.method);
            ++belowLowest;
        } else if (given > highest + tolerance) {
            expected = 42;
            ++aboveHighest;
        } else if (given > lowest + tolerance && given < highest - tolerance) {
            // Reachable: the value given stands and the salinity lies strictly inside.
            if (sourceValueOf(c, result) == given) continue;
        } else {
            continue;  // within the inversion's tolerance of a bound: either answer is sound
        }
        if (result.practicalSalinity != expected && ++failures <= 5)
            ADD_FAILURE() << describe(c) << ": Sp " << result.practicalSalinity << ", expected " << expected
                          << " (given " << given << ", bounds' waters " << lowest << " and " << highest << ")";
    }
    EXPECT_EQ(failures, 0);
    // The grid does reach both failure regions.
    EXPECT_GT(belowLowest, 0);
    EXPECT_GT(aboveHighest, 0);
}

TEST(MendedFaults, NoNotANumberOrFailureValueForAnyNumericInput) {
    int failures = 0;
    for (const Case& c : gridAndRandomCases()) {
        const Sample result = converted(c.method, c.given);
        if (!allSound(result) && ++failures <= 5) ADD_FAILURE() << describe(c);
    }
    EXPECT_EQ(failures, 0);

    // Infinities and extremes in every input, one at a time, for every source.
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    constexpr double Sample::*kInputs[] = {&Sample::pressure, &Sample::longitude, &Sample::latitude,
                                           &Sample::temperature, &Sample::referenceTemperature};
    for (Method method : kMethods)
        for (Source source : kSources)
            for (double extreme : {kInfinity, -kInfinity, 1e300, -1e300, GSW_INVALID_VALUE, 1e-300}) {
                Sample sourceExtreme = sampleFrom(source, extreme);
                EXPECT_TRUE(allSound(converted(method, sourceExtreme))) << static_cast<int>(method) << " " << extreme;
                for (double Sample::*input : kInputs) {
                    Sample s = sampleFrom(source, 35);
                    if (source != Source::PracticalSalinity)
                        s = sampleFrom(source, source == Source::Density        ? 1025
                                               : source == Source::Conductivity ? 42
                                                                                : 1.025);
                    s.*input = extreme;
                    EXPECT_TRUE(allSound(converted(method, s))) << static_cast<int>(method) << " " << extreme;
                }
            }
}
