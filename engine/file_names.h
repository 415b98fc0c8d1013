// How a file's columns and variables are read by their names: the one rule of
// every front end that reads files (a CSV header, a netCDF file's variables,
// an xarray Dataset), over the names of the vocabulary (quantities.h).
#pragma once

#include <optional>
#include <string_view>

#include "quantities.h"

namespace thalwen {

// The input a column or variable gives, and how its name said so.
struct NameReading {
    Quantity quantity;
    // The convention whose name it has, as that convention writes it: it
    // implies the unit when the file states none ("TEMP" the archives', in °C;
    // "Temp" anybody's, in the user's unit). nullptr for our own names.
    const FileName* convention = nullptr;
    bool adjusted = false;        // an archive's adjusted values, preferred to the raw ones beside them
    bool byStandardName = false;  // found by its CF standard_name, preferred to a name found otherwise
};

// Whether a and b are the same name but for the case of ASCII letters.
bool sameName(std::string_view a, std::string_view b);

// What a column or variable named name, of CF standard name standardName
// (empty: none), gives: by its standard name first, then by its name, ours
// and the conventions' in any case. None: it is only carried. A standard name
// of no stated salinity scale (sea_water_salinity) is the user's to read.
std::optional<NameReading> readName(std::string_view name, std::string_view standardName = {});

// Of two columns or variables giving the same quantity, whether first is the
// one to read: the adjusted values before the raw ones, then the one found by
// its standard name. Neither: the user chooses.
bool preferred(const NameReading& first, const NameReading& second);

}  // namespace thalwen
