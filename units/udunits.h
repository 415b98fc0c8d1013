// The one place that calls UDUNITS-2. The library is neither thread-safe (its
// parser keeps its state in globals), nor quiet (it prints to standard error,
// even while loading its database), nor independent of the locale (it reads
// numbers, those of its database too, with strtod): every call is made under
// one lock, with its messages silenced and numbers read in the classic locale.
#pragma once

#include <string>
#include <string_view>

#include "unit_reading.h"

namespace thalwen::udunits {

enum class Answer {
    Converted,
    UnknownSource,  // a text UDUNITS-2 cannot read
    UnknownTarget,
    Inconvertible,  // another kind of quantity
    NotLinear,      // a logarithmic unit, which no scale and offset convert
    NoDatabase,
};

struct Conversion {
    Answer answer;
    UnitMap map = {};          // when Converted
    std::string problem = {};  // when NoDatabase: why the database could not be read
};

// How a value in the unit source (UTF-8) converts into the unit target. The
// unit database is read on the first call.
Conversion convert(std::string_view source, std::string_view target);

}  // namespace thalwen::udunits
