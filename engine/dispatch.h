// The single entry point of the conversion engine.
#pragma once

#include "sample.h"

// Clamps every input into the method's range and keeps exactly one of
// practicalSalinity, density and conductivity as the source.
void normalise(Method method, Sample& sample);

// One pass: normalise, then the method's equations.
void compute(Method method, Sample& sample);

// Fills the sample completely. Clamped inputs are written back, so the caller
// can show the inputs as they were used.
void convert(Method method, Sample& sample);
