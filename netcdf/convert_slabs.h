// A whole input converted slab by slab on every core into an output's new
// variables, in a bounded amount of memory.
#pragma once

#include <atomic>
#include <functional>

#include "output_file.h"
#include "slab_reader.h"

namespace thalwen {

// Fills slab.outputs from slab.inputs: outputs[k] for the k-th new variable,
// one value per sample, each NaN until set (a NaN is written as a gap).
// Called on several threads at once, each with a slab of its own.
using SlabConversion = std::function<void(Slab& slab)>;

// The most samples a slab may hold so that the slabs in flight for jobs
// threads, with inputs variables read and outputs written, stay within a
// few tens of megabytes whatever the size of the file.
std::size_t slabValuesFor(unsigned jobs, std::size_t inputs, std::size_t outputs);

// Reads every slab of reader, has convert fill its outputs on jobs threads
// and writes them into output's new variables, each over the reader's
// dimensions, slab after slab. This thread makes every netCDF call, reading
// the next slabs while the others convert. An exception thrown by convert or
// by netCDF stops the threads and is thrown again here; so is a NetcdfError
// once stop turns true (between slabs: a signal handler may set it).
void convertSlabs(SlabReader& reader, OutputFile& output, unsigned jobs, const SlabConversion& convert,
                  const std::atomic<bool>* stop = nullptr);

}  // namespace thalwen
