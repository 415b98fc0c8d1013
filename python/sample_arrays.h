// Many samples at once: arrays of inputs that broadcast together, converted
// on several threads into arrays of results, each sample exactly as
// convertSample converts one for the command line. No Python here: the
// module hands in the numbers and the room for the results.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "user_conversion.h"

namespace thalwen {

// The numbers of one given input, read through byte strides along the axes of
// the result's shape (0 along an axis it is broadcast over).
struct InputArray {
    Quantity quantity;
    const char* data;
    std::vector<std::ptrdiff_t> strides;
    // Numbers equal to one of these are missing measurements (fill values),
    // compared as given, before the map.
    std::vector<double> missing;
    // Then number * scale + offset: from a unit of the input's own into the
    // engine's. The identity for numbers in a unit of givenUnits.
    double scale = 1;
    double offset = 0;
};

struct SampleArrays {
    Method method = Method::Teos10Exact;
    // The user's units: of the results, the defaults and the inputs that have
    // no unit of their own.
    bool fahrenheit = false;
    const ConductivityUnit* conductivityUnit = &kMilliSiemensPerCentimetre;
    // The units of the inputs' numbers after their maps; the user's for the
    // quantities not given.
    UserUnits givenUnits;
    std::vector<std::ptrdiff_t> shape;  // of every result
    std::vector<InputArray> inputs;     // the others take their defaults
    // C-contiguous, in the user's units; each null where not asked for, and
    // nothing is written or derived for it. An absent result (Absolute
    // Salinity and Conservative Temperature under IES-80, the position IES-80
    // was not given) is NaN.
    double* results[kQuantityCount] = {};
    double* derived[kDerivedQuantityCount] = {};
    bool* clamped[kQuantityCount] = {};  // never for Absolute Salinity, a result only
};

// The samples given a value no sample can have (outside its band), and the
// inputs that had one, by the bound they passed.
struct ImpossibleValues {
    std::size_t samples = 0;
    QuantitySet below;
    QuantitySet above;
};

// Fills the results of every sample, on at most jobs threads. A sample with a
// NaN or a missing value in an input its method uses is a missing
// measurement, and so is one with a value outside its band: their results are
// all NaN and nothing counts as clamped. An input the method has no use for
// (the position under IES-80) stops nothing when it is missing, and its
// results are NaN then.
//
// The calling thread calls checkpoint (when given) between its chunks, a few
// times a second, so that the caller can be interrupted. An exception from it
// stops every thread at its next chunk and passes on once they have all
// ended; the results are then only partly filled.
ImpossibleValues convertArrays(const SampleArrays& arrays, unsigned jobs, const std::function<void()>& checkpoint);

}  // namespace thalwen
