// The library's own plumbing over netCDF's C API: its types against ours, and
// its status codes turned into errors a user can read.
#pragma once

#include <netcdf.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "description.h"

namespace thalwen {

struct TypeInfo {
    ValueType type;
    nc_type id;
    const char* name;    // as CDL writes it
    std::size_t size;    // bytes of one value in memory
    double defaultFill;  // what netCDF writes where no value was
};

// Every atomic type, in netCDF's order; a user-defined type is none of these.
const TypeInfo& typeInfo(ValueType type);
ValueType valueTypeOf(nc_type id);

// Where a call was made, for the message that says what failed.
struct Place {
    const std::string& path;
    bool output;  // the file being written, not the input
};

// "path: what: why", why in a user's words for the statuses a user can meet
// (not netCDF, damaged, the disk full...), with netCDF's own words after them;
// error is the system's errno at the failure, or 0.
NetcdfError netcdfError(const Place& place, std::string_view what, int status, int error);

// Runs call, a netCDF function's status, and throws the error it ends in.
template <class Call>
void checked(const Place& place, std::string_view what, Call&& call) {
    errno = 0;  // so that a system error seen afterwards is this call's
    const int status = call();
    if (status != NC_NOERR) throw netcdfError(place, what, status, errno);
}

// Has HDF5 keep none of a netCDF-4 variable's chunks in memory once read or
// written: a variable read or written in whole chunks needs none, and every
// variable keeping the default (16 MB) would add up to more than a large
// file's slabs.
void keepNoChunks(const Place& place, int group, int variable, std::string_view what);

std::string inQuotes(std::string_view name);  // 'name', as messages quote names

// What stops a file being written when the user interrupts it.
NetcdfError interrupted(const std::string& path);

// A box's start or count as netCDF takes it: a pointer even for a scalar's
// empty one.
const std::size_t* coordinates(const std::vector<std::size_t>& values);

}  // namespace thalwen
