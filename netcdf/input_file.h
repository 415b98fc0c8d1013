// A netCDF file opened for reading: any of the classic formats (CDF-1, CDF-2,
// CDF-5), netCDF-4 or netCDF-4 classic, described once when opened.
#pragma once

#include <string>

#include "description.h"

namespace thalwen {

class InputFile {
public:
    // Throws NetcdfError naming path when it cannot be opened, is no netCDF
    // file or is cut short.
    explicit InputFile(std::string path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& path() const { return description_.path; }
    const Description& description() const { return description_; }
    // netCDF's id of the open file, for this library's readers and copies.
    // netCDF is not thread-safe: one thread at a time may use it.
    int id() const { return id_; }

private:
    int id_ = -1;
    Description description_;
};

}  // namespace thalwen
