// convert under any method and any ten doubles. The bytes are read in order:
// one for the method, then for each quantity a tag that picks a special value
// (not-a-number, infinities, extremes, the range bounds, kNoValue), eight raw
// bytes of a double, a value spread over a span a little wider than the
// quantity's range, or absence. Quantities the bytes do not reach keep the
// form's start-up values.
//
// What must hold after convert: with no not-a-number given, every quantity is
// a number far below the failure value; pressure, position, temperatures and
// Practical Salinity lie in their ranges, a finite longitude reached by whole
// turns; a density, conductivity or specific gravity source either stands as
// clamped or was replaced because its water lies beyond a Practical Salinity
// bound; Absolute Salinity is absent exactly under IES-80; every other
// quantity is present. The report names the inputs whose value changed (a
// specific gravity for the density it gave) and tells the water at a salinity
// bound when a source was replaced.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "convert.h"
#include "sample.h"

using namespace thalwen;

namespace {

constexpr int kQuantities = 10;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

constexpr double Sample::*kMembers[kQuantities] = {
    &Sample::pressure,          &Sample::longitude,           &Sample::latitude, &Sample::temperature,
    &Sample::practicalSalinity, &Sample::absoluteSalinity,    &Sample::density,  &Sample::conductivity,
    &Sample::specificGravity,   &Sample::referenceTemperature};

double& quantity(Sample& s, int i) { return s.*kMembers[i]; }
double quantity(const Sample& s, int i) { return s.*kMembers[i]; }

const char* const kNames[kQuantities] = {"pressure",          "longitude",           "latitude", "temperature",
                                         "practicalSalinity", "absoluteSalinity",    "density",  "conductivity",
                                         "specificGravity",   "referenceTemperature"};

struct Span {
    double lower, upper;
};

// Somewhat wider than every method's range, so that both sides of each clamp are reached.
const Span kSpans[kQuantities] = {{-50, 10500}, {-400, 400}, {-100, 100}, {-10, 45},   {-5, 60},
                                  {-5, 60},     {980, 1100}, {-1, 100},   {0.97, 1.1}, {-5, 45}};

// The bounds of the ranges of both method families, and a few values the
// equations treat specially (the latitude -90 that the library refuses, the
// Practical Salinity below which IES-80 gives no conductivity).
const double kBounds[kQuantities][4] = {{0, 10000, -10.1325, 10000},
                                        {-180, 180, 360, -360},
                                        {-86, 90, -90, 0},
                                        {-2, 35, 40, -5},
                                        {2, 42, 0, 0.02},
                                        {0, 120, 35.16504, 42},
                                        {1000, 1082.71524, 1076.70763, 999.0},
                                        {0.002, 90.90227, 0.0005, 84.54096},
                                        {1, 1.08, 0.9, 1.0001},
                                        {0, 40, 4, 20}};

double special(int slot, unsigned pick) {
    static const double kGeneral[] = {std::numeric_limits<double>::quiet_NaN(),
                                      kInfinity,
                                      -kInfinity,
                                      kNoValue,
                                      0.0,
                                      -0.0,
                                      DBL_MAX,
                                      -DBL_MAX,
                                      DBL_MIN,
                                      std::numeric_limits<double>::denorm_min(),
                                      -std::numeric_limits<double>::denorm_min(),
                                      1e10,
                                      -1e10,
                                      GSW_INVALID_VALUE,
                                      -GSW_INVALID_VALUE,
                                      1e300,
                                      -1e300,
                                      1e-300,
                                      std::nextafter(kNoValue, 0.0)};
    constexpr unsigned kGeneralCount = sizeof kGeneral / sizeof kGeneral[0];
    pick %= kGeneralCount + 12;
    if (pick < kGeneralCount) return kGeneral[pick];
    pick -= kGeneralCount;
    const double bound = kBounds[slot][pick % 4];
    switch (pick / 4) {
    case 0:
        return bound;
    case 1:
        return std::nextafter(bound, -kInfinity);
    default:
        return std::nextafter(bound, kInfinity);
    }
}

struct Bytes {
    const std::uint8_t* data;
    std::size_t size;
    bool take(void* out, std::size_t n) {
        if (size < n) return false;
        std::memcpy(out, data, n);
        data += n;
        size -= n;
        return true;
    }
};

void readQuantity(Bytes& bytes, int slot, double& value) {
    std::uint8_t tag = 0;
    if (!bytes.take(&tag, 1)) return;
    switch (tag % 4) {
    case 0:
        value = special(slot, tag / 4u);
        break;
    case 1: {
        double raw = 0;
        if (bytes.take(&raw, sizeof raw)) value = raw;
        break;
    }
    case 2: {
        std::uint32_t fraction = 0;
        if (bytes.take(&fraction, sizeof fraction)) {
            const Span span = kSpans[slot];
            value = span.lower + (span.upper - span.lower) * (fraction / 4294967295.0);
        }
        break;
    }
    default:
        value = kNoValue;
        break;
    }
}

[[noreturn]] void fail(int method, const Sample& given, const Sample& result, const char* what) {
    std::fprintf(stderr, "convert, method %d: %s\n", method, what);
    for (int i = 0; i < kQuantities; ++i)
        std::fprintf(stderr, "  %-21s given %-24.17g result %.17g\n", kNames[i], quantity(given, i),
                     quantity(result, i));
    std::abort();
}

bool within(double value, double lower, double upper) { return value >= lower && value <= upper; }
double clampedTo(double value, double lower, double upper) {
    return value < lower ? lower : value > upper ? upper : value;
}

// A density or conductivity source stands as clamped, or is replaced by the
// water at a salinity bound; the report says which, and names the source when
// its value changed either way.
void checkSource(const ConversionReport& report, Quantity source, double givenValue, double clampedValue,
                 double resultValue, bool atBound, int methodNumber, const Sample& given, const Sample& result) {
    const bool replaced = resultValue != clampedValue;
    if (replaced && !atBound) fail(methodNumber, given, result, "the source was replaced within the salinity range");
    if (replaced && !report.atSalinityBound) fail(methodNumber, given, result, "a replaced source is not reported");
    const bool changed = resultValue != givenValue;
    if (changed && !report.clamped.contains(source))
        fail(methodNumber, given, result, "a changed source is not reported");
    if (!report.atSalinityBound && report.clamped.contains(source) && !changed)
        fail(methodNumber, given, result, "a source that stood is reported as clamped");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes{data, size};
    std::uint8_t methodByte = 1;
    bytes.take(&methodByte, 1);
    const int methodNumber = 1 + methodByte % 3;
    const Method method = static_cast<Method>(methodNumber);

    Sample given{0.0, 2.348785, 48.853402, 15.0, kNoValue, kNoValue, kNoValue, kNoValue, kNoValue, 20.0};
    for (int i = 0; i < kQuantities; ++i) readQuantity(bytes, i, quantity(given, i));

    Sample result = given;
    const ConversionReport report = convert(method, result);

    for (int i = 0; i < kQuantities; ++i)
        if (std::isnan(quantity(given, i))) return 0;  // only returning is asked of a not-a-number input

    for (int i = 0; i < kQuantities; ++i) {
        const double value = quantity(result, i);
        if (std::isnan(value)) fail(methodNumber, given, result, "a not-a-number came out");
        if (std::fabs(value) >= 1e10) fail(methodNumber, given, result, "a failure value came out");
    }

    const bool teos10 = method != Method::Ies80;
    const double lowestSalinity = teos10 ? 2.0 : 0.0;
    if (!within(result.pressure, 0, 10000)) fail(methodNumber, given, result, "pressure out of range");
    if (!within(result.longitude, -180, 180)) fail(methodNumber, given, result, "longitude out of range");
    if (!within(result.latitude, -86, 90)) fail(methodNumber, given, result, "latitude out of range");
    if (!within(result.temperature, -2, 35)) fail(methodNumber, given, result, "temperature out of range");
    if (!within(result.referenceTemperature, 0, 40))
        fail(methodNumber, given, result, "reference temperature out of range");
    if (!within(result.practicalSalinity, lowestSalinity, 42))
        fail(methodNumber, given, result, "Practical Salinity out of range");

    if (teos10 == (result.absoluteSalinity == kNoValue))
        fail(methodNumber, given, result, "Absolute Salinity absent under TEOS-10 or present under IES-80");
    if (!isPresent(result.practicalSalinity) || !isPresent(result.density) || !isPresent(result.conductivity) ||
        !isPresent(result.specificGravity))
        fail(methodNumber, given, result, "a derived quantity is absent");

    // A finite longitude is turned by whole turns, exactly, and not reported;
    // an infinite one is clamped and reported.
    if (std::isfinite(given.longitude)) {
        const double turns = std::fmod(given.longitude, 360.0) - std::fmod(result.longitude, 360.0);
        if (turns != 0.0 && std::fabs(turns) != 360.0)
            fail(methodNumber, given, result, "the longitude moved by other than whole turns");
        if (report.clamped.contains(Quantity::Longitude))
            fail(methodNumber, given, result, "a turned longitude is reported");
    } else if (!report.clamped.contains(Quantity::Longitude)) {
        fail(methodNumber, given, result, "an infinite longitude is not reported");
    }

    // Inputs that are never the source: reported exactly when they changed.
    for (int i : {0, 2, 3, 9})
        if (report.clamped.contains(static_cast<Quantity>(i)) != (quantity(result, i) != quantity(given, i)))
            fail(methodNumber, given, result, "the report and the change of an input disagree");

    // The source, by the precedence of the inputs. A source other than
    // Practical Salinity may only be replaced by the water at a bound.
    const bool atBound = result.practicalSalinity == lowestSalinity || result.practicalSalinity == 42.0;
    if (report.atSalinityBound && !atBound) fail(methodNumber, given, result, "reported at a bound, but not there");
    if (isPresent(given.practicalSalinity)) {
        if (result.practicalSalinity != clampedTo(given.practicalSalinity, lowestSalinity, 42))
            fail(methodNumber, given, result, "the Practical Salinity given did not stand");
        if (report.clamped.contains(Quantity::PracticalSalinity) !=
            (result.practicalSalinity != given.practicalSalinity))
            fail(methodNumber, given, result, "the report and the change of the Practical Salinity disagree");
    } else if (isPresent(given.density)) {
        const double highest = teos10 ? 1082.71524 : 1076.70763;
        checkSource(report, Quantity::Density, given.density, clampedTo(given.density, 1000, highest), result.density,
                    atBound, methodNumber, given, result);
    } else if (isPresent(given.conductivity)) {
        const double lowest = teos10 ? 0.002 : 0.0005, highest = teos10 ? 90.90227 : 84.54096;
        checkSource(report, Quantity::Conductivity, given.conductivity, clampedTo(given.conductivity, lowest, highest),
                    result.conductivity, atBound, methodNumber, given, result);
    } else if (isPresent(given.specificGravity)) {
        if (result.specificGravity < 1.0 && !atBound)
            fail(methodNumber, given, result, "specific gravity below 1 within the salinity range");
    } else if (result.practicalSalinity != 35.0) {
        fail(methodNumber, given, result, "no source given, but not Practical Salinity 35");
    }
    return 0;
}
