// netCDF's classic formats read a file cut short as if its missing tail held
// zeros, without a word: a plausible pressure of 0 dbar. What the file must
// hold is written in its header, which is read here; and so is the variable
// that names a dimension the file lacks, which netCDF refuses without naming.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

namespace thalwen {

struct ClassicHeader {
    // The bytes the file must hold: the end of its last value as its header places it.
    std::uint64_t dataEnd = 0;
    // The first variable that names a dimension the file lacks; empty when none does.
    std::string withoutDimension;
};

// The header of a file of the classic formats (CDF-1, CDF-2, CDF-5); nullopt
// when the header itself is cut short or is not one of these formats'.
std::optional<ClassicHeader> readClassicHeader(std::istream& file);

}  // namespace thalwen
