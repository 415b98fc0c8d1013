// thalwen.convert_dataset: an xarray Dataset converted as thalwen-convert
// converts a netCDF file, its variables found by the engine's rule of names
// and paired by dimension name, the results added as variables that say what
// they are.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

namespace thalwen {

pybind11::object convertDataset(const pybind11::args& args, const pybind11::kwargs& kwargs);

// What help(thalwen.convert_dataset) shows.
std::string convertDatasetDoc();

}  // namespace thalwen
