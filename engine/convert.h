// The conversion engine: convert fills a Sample by one Method and reports what
// it did to the inputs. normalise and compute are its steps.
#pragma once

#include "sample.h"

namespace thalwen {

// What convert did to the sample it was given.
struct ConversionReport {
    // The inputs brought to a bound of their range, and a density,
    // conductivity or specific gravity source that was replaced by that of
    // the water at a Practical Salinity bound.
    QuantitySet clamped;
    // The source gave a Practical Salinity outside the method's range, or
    // none at all: every quantity returned is that of the water at the bound.
    bool atSalinityBound = false;
};

// Clamps every input into the method's range and keeps exactly one of
// practicalSalinity, density and conductivity as the source. Returns the
// inputs it brought to a bound.
QuantitySet normalise(Method method, Sample& sample);

// Every quantity of a sample: what a conversion fills unless told fewer.
constexpr QuantitySet everyQuantity() {
    QuantitySet every;
    for (int q = 0; q < kQuantityCount; ++q) every.add(static_cast<Quantity>(q));
    return every;
}
inline constexpr QuantitySet kEveryQuantity = everyQuantity();

// One pass: normalise, then the method's equations. Returns what normalise
// brought to a bound. Of Absolute Salinity, density, conductivity and
// specific gravity, those not in wanted and not given are left absent, their
// equations never run; the Practical Salinity is always found.
QuantitySet compute(Method method, Sample& sample, QuantitySet wanted = kEveryQuantity);

// Fills the sample completely, or with wanted as compute does. Clamped inputs
// are written back, so the caller can show the inputs as they were used; the
// report says which they were.
ConversionReport convert(Method method, Sample& sample, QuantitySet wanted = kEveryQuantity);

}  // namespace thalwen
