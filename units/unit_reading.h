// Unit texts as data files write them ("S m-1", "mhos/m", "db", "deg C",
// "degrees_east", "psu"), read into the unit the engine works in. UDUNITS-2,
// the library of the CF conventions, reads them, after a short table of the
// spellings of ocean archives and instruments that it lacks or reads
// otherwise. Its unit database is loaded on the first reading only, once per
// process; readings may come from any thread.
#pragma once

#include <string>
#include <string_view>

namespace thalwen {

// What a unit text is read for.
struct UnitTarget {
    std::string_view engineUnit;  // as UDUNITS-2 reads it: "dbar", "degC", "mS/cm", "degree_east", "1"
    std::string_view name;        // the quantity as a refusal names it: "conductivity"
    // Values on the Practical Salinity Scale of 1978: their unit texts name
    // the scale (psu, PSS-78), and no other ratio is one of them.
    bool practicalSalinity = false;
};

// A value in the unit read, in the engine's unit: value * scale + offset.
// Pressures convert by a scale alone, so a sea pressure stays a sea pressure.
struct UnitMap {
    double scale = 1;
    double offset = 0;
};

enum class UnitStatus {
    Read,
    Refused,     // the text is no unit of the quantity, or none UDUNITS-2 knows
    NoDatabase,  // UDUNITS-2 cannot read its unit database: no text can be read
};

struct UnitReading {
    UnitStatus status;
    UnitMap map;          // when Read
    std::string message;  // otherwise, for a user: "'kg' is not a unit of conductivity"
};

// Reads text (UTF-8; blanks around it do not count) as a unit of target.
// Throws std::invalid_argument when UDUNITS-2 cannot read target.engineUnit.
UnitReading readUnit(std::string_view text, const UnitTarget& target);

}  // namespace thalwen
