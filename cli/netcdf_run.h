// A netCDF file converted as a batch: its variables read as a batch reads
// columns, its samples as rows, slab by slab on every core, into a copy of
// the file that gains the results as variables saying what they are.
#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "exit_status.h"
#include "options.h"

namespace thalwen {

// Whether path holds a netCDF file: told by its first bytes (the classic
// formats' or HDF5's signature), or by a name ending in .nc, .nc4 or .cdf
// when it cannot be read, so that a file that should be one is refused as
// one.
bool isNetcdfFile(const std::string& path);

// Converts the netCDF file of arguments.batchPath into arguments.outputPath:
// a copy of it, every dimension, variable and attribute as it was, with the
// results of arguments.style.outputs (when given; else Absolute Salinity, the
// quantities derived on request and the Practical Salinity of a file that
// gives another salinity-related input) added over the dimensions the
// variables read pair into, and a variable of the inputs each sample had
// brought to their bounds. commandLine goes into the history attribute. Says
// what it read and, at the end, why the samples without results have none,
// by variable and reason with the first of them, on err. Stops, leaving no
// output behind, once stop turns true.
ExitStatus runNetcdf(const Arguments& arguments, const std::vector<std::string>& commandLine, std::FILE* err,
                     const std::atomic<bool>* stop = nullptr);

}  // namespace thalwen
