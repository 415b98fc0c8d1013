#include "samples.h"

#include <cstdio>
#include <random>

using namespace thalwen;

namespace {

struct Position {
    double longitude, latitude;
};

// Paris; a southern-hemisphere ocean point (the latitude once clamped to the
// equator); the Southern Ocean; the lowest latitude the library accepts; near
// the pole and the date line.
constexpr Position kPositions[] = {{2.348785, 48.853402}, {150, -30}, {-70, -60}, {-30, -86}, {179.5, 89.5}};
// One reference temperature per position, so every one is met without
// multiplying the grid.
constexpr double kReferenceTemperatures[] = {20, 0, 40, 4, 25};
constexpr double kPressures[] = {0, 1000, 5000, 10000};
constexpr double kTemperatures[] = {-2, 4, 15, 35};

std::vector<double> sourceValues(Source source) {
    switch (source) {
    case Source::PracticalSalinity:
        return {0, 0.5, 2, 10, 35, 42};
    case Source::Density:
        return {1000, 1004, 1020, 1028, 1050, 1076.70763, 1082.71524};
    case Source::Conductivity:
        return {0.0005, 0.002, 0.5, 20, 42.914, 84.54096, 90.90227};
    case Source::SpecificGravity:
        return {1, 1.005, 1.025, 1.05, 1.08};
    }
    return {};
}

double& sourceQuantity(Sample& s, Source source) {
    switch (source) {
    case Source::PracticalSalinity:
        return s.practicalSalinity;
    case Source::Density:
        return s.density;
    case Source::Conductivity:
        return s.conductivity;
    case Source::SpecificGravity:
        return s.specificGravity;
    }
    return s.practicalSalinity;
}

struct Range {
    double lower, upper;
};

Range sourceRange(Method method, Source source) {
    const bool ies80 = method == Method::Ies80;
    switch (source) {
    case Source::PracticalSalinity:
        return {lowestSalinity(method), 42};
    case Source::Density:
        return {1000, ies80 ? 1076.70763 : 1082.71524};
    case Source::Conductivity:
        return ies80 ? Range{0.0005, 84.54096} : Range{0.002, 90.90227};
    case Source::SpecificGravity:
        return {1, 1.085};
    }
    return {0, 0};
}

const char* sourceName(Source source) {
    switch (source) {
    case Source::PracticalSalinity:
        return "Sp";
    case Source::Density:
        return "density";
    case Source::Conductivity:
        return "conductivity";
    case Source::SpecificGravity:
        return "SG";
    }
    return "?";
}

}  // namespace

double lowestSalinity(Method method) { return method == Method::Ies80 ? 0.0 : 2.0; }

Sample sampleFrom(Source source, double sourceValue) {
    Sample s{0, 2.348785, 48.853402, 15, kNoValue, kNoValue, kNoValue, kNoValue, kNoValue, 20};
    sourceQuantity(s, source) = sourceValue;
    return s;
}

std::vector<Case> gridCases() {
    std::vector<Case> cases;
    for (Method method : kMethods)
        for (Source source : kSources)
            for (double value : sourceValues(source))
                for (double pressure : kPressures)
                    for (double temperature : kTemperatures)
                        for (int p = 0; p < 5; ++p) {
                            Sample s = sampleFrom(source, value);
                            s.pressure = pressure;
                            s.temperature = temperature;
                            s.longitude = kPositions[p].longitude;
                            s.latitude = kPositions[p].latitude;
                            s.referenceTemperature = kReferenceTemperatures[p];
                            cases.push_back({method, source, s});
                        }
    return cases;
}

std::vector<Case> randomCases(int count) {
    // mt19937_64's sequence is fixed by the C++ standard; the distributions of
    // the library are not, so the uniform numbers are made here.
    std::mt19937_64 random(20261208);
    auto uniform = [&random](double lower, double upper) {
        return lower + (upper - lower) * static_cast<double>(random() >> 11) * 0x1p-53;
    };
    std::vector<Case> cases;
    for (Method method : kMethods)
        for (Source source : kSources)
            for (int i = 0; i < count; ++i) {
                const Range range = sourceRange(method, source);
                Sample s = sampleFrom(source, uniform(range.lower, range.upper));
                s.pressure = uniform(0, 10000);
                s.longitude = uniform(-180, 180);
                s.latitude = uniform(-86, 90);
                s.temperature = uniform(-2, 35);
                s.referenceTemperature = uniform(0, 40);
                cases.push_back({method, source, s});
            }
    return cases;
}

std::string describe(const Case& c) {
    Sample s = c.given;
    char text[200];
    std::snprintf(text, sizeof text, "method %d, %s %.17g at %.17g C, %.17g dbar, lon %.17g, lat %.17g, ref %.17g",
                  static_cast<int>(c.method), sourceName(c.source), sourceQuantity(s, c.source), s.temperature,
                  s.pressure, s.longitude, s.latitude, s.referenceTemperature);
    return text;
}
