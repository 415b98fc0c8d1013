// The quality flags a netCDF file declares for the variables read, as CF
// declares them (ancillary_variables naming a variable with flag_values), and
// the flags of the samples that --qc converts.
#pragma once

#include <string>
#include <vector>

#include "columns.h"
#include "description.h"
#include "exit_status.h"

namespace thalwen {

// A variable of quality flags, and the flags of the samples converted, as its
// values hold them: numbers, or the codes of characters.
struct QualityFlags {
    const Variable* variable;
    std::vector<double> kept;
};

// The variables of flags that the variables read (read, their columns, which
// are the root group's variables) declare, each once, with the flags given of
// each; without flags given none, and a note of those the file declares.
// Fails on flags given to a file that declares none for them, and on a flag
// that none of its variables of flags declares.
Failure readQualityFlags(const std::vector<std::string>& given, const Group& root, const BatchColumns& columns,
                         const std::vector<std::size_t>& read, std::vector<QualityFlags>& flagsRead,
                         std::vector<std::string>& notes);

}  // namespace thalwen
