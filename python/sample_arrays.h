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
};

struct SampleArrays {
    Method method = Method::Teos10Exact;
    bool fahrenheit = false;
    const ConductivityUnit* conductivityUnit = &kMilliSiemensPerCentimetre;
    std::vector<std::ptrdiff_t> shape;  // of every result
    std::vector<InputArray> inputs;     // the others take their defaults
    // In C order, in the user's units. An absent result (Absolute Salinity
    // under IES-80) is NaN.
    double* results[kQuantityCount] = {};
    bool* clamped[kQuantityCount] = {};  // null where nothing is to be told (Absolute Salinity)
};

// Fills the results of every sample, on at most jobs threads. A sample with a
// NaN in an input its method uses is a missing measurement: its results are
// all NaN and nothing counts as clamped.
//
// The calling thread calls checkpoint (when given) between its chunks, a few
// times a second, so that the caller can be interrupted. An exception from it
// stops every thread at its next chunk and passes on once they have all
// ended; the results are then only partly filled.
void convertArrays(const SampleArrays& arrays, unsigned jobs, const std::function<void()>& checkpoint);

}  // namespace thalwen
