// netCDF's classic formats read a file cut short as if its missing tail held
// zeros, without a word: a plausible pressure of 0 dbar. What the file must
// hold is written in its header, which is read here.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>

namespace thalwen {

// The bytes a file of the classic formats (CDF-1, CDF-2, CDF-5) must hold: the
// end of its last value as its header places it. nullopt when the header
// itself is cut short or is not one of these formats'.
std::optional<std::uint64_t> classicDataEnd(std::istream& file);

}  // namespace thalwen
