// The samples the invariants are checked on: a deterministic grid over the
// ranges and their edges, and seeded random samples inside the ranges, for
// every method and every salinity-related source.
#pragma once

#include <string>
#include <vector>

#include "sample.h"

enum class Source { PracticalSalinity, Density, Conductivity, SpecificGravity };

constexpr thalwen::Method kMethods[] = {thalwen::Method::Teos10Polynomial, thalwen::Method::Teos10Exact,
                                        thalwen::Method::Ies80};
constexpr Source kSources[] = {Source::PracticalSalinity, Source::Density, Source::Conductivity,
                               Source::SpecificGravity};

struct Case {
    thalwen::Method method;
    Source source;
    thalwen::Sample given;  // exactly one salinity-related quantity present
};

// Every method and source over pressures, temperatures, positions and source
// values that include the bounds of the ranges and the failure regions of the
// inversions (water lighter than pure water, almost no conductivity when warm).
std::vector<Case> gridCases();

// count random samples per method and source, inside the ranges; the same
// samples on every run and every platform.
std::vector<Case> randomCases(int count);

// The form's start-up values, with sourceValue as the only salinity-related input.
thalwen::Sample sampleFrom(Source source, double sourceValue);

// Practical Salinity below which the method takes none as input.
double lowestSalinity(thalwen::Method method);

// "method 2, density 1025 at 15 C, 0 dbar, lon 2.35, lat 48.85, ref 20" for messages.
std::string describe(const Case& c);
