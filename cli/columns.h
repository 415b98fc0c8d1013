// The columns of a batch as its header names them, or the variables of a
// netCDF file: which gives which quantity, in which unit, and which are only
// carried to the output. The names read without --column and the units a
// header or a units attribute may write are here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "csv.h"
#include "exit_status.h"
#include "quantities.h"
#include "unit_reading.h"
#include "user_conversion.h"

namespace thalwen {

// --column QUANTITY=HEADER: the batch column (or netCDF variable) that gives a quantity or the method.
struct ColumnMapping {
    std::optional<Quantity> quantity;  // none: the method
    std::string header;
};

// The name of what a mapping gives, as --column takes it.
const char* mappedName(const ColumnMapping& mapping);

// What one input column gives: nothing we read (it is only carried to the
// output), the method, or a quantity.
enum class ColumnUse { Carried, Method, Quantity };

struct ColumnRole {
    ColumnUse use = ColumnUse::Carried;
    Quantity quantity = Quantity::Pressure;  // when use is Quantity
};

// A header cell as spreadsheets and loggers write it: "Cond [mS/cm]",
// "Temp (°C)"; the unit is empty when none is written.
struct HeaderName {
    std::string_view name;
    std::string_view unit;
};
HeaderName splitUnit(std::string_view header);

// One column of a CSV header or one variable of a netCDF file, as the batch
// reads it before knowing what it gives.
struct InputColumn {
    std::string name;             // as the file gives it, for messages: "Cond [mS/cm]", "PSAL"
    std::string bare;             // the name without a unit written after it
    std::string unit;             // written after the name, or its units attribute; empty: none stated
    std::string standardName;     // its CF standard_name; empty: none
    const char* holds = nullptr;  // what a variable of no numbers holds ("char"): it can only be carried
};

// Whose the columns are: a CSV file's, named by their place, or a netCDF
// file's variables, named alone.
enum class ColumnKind { CsvColumn, NetcdfVariable };

// The words messages name the columns and rows of each kind by.
struct KindWords {
    const char* column;   // "column", "variable"
    const char* row;      // "row", "sample"
    const char* mapped;   // what --column maps: "HEADER", "VARIABLE"
    const char* missing;  // what an option fills: "empty cells", "missing values"
};
const KindWords& wordsOf(ColumnKind kind);

// A carried column whose name looks meant to be read as role, and the note that tells how.
struct Suggestion {
    ColumnRole role;
    std::string note;
};

// Gives quantity in units the unit it has in from: that of its column, or of
// the option that fills its empty cells.
void takeUnitOf(Quantity quantity, const UserUnits& from, UserUnits& units);

// Where the unit a column is read in comes from.
enum class UnitOrigin {
    User,        // none written: the user's, as the options give it
    Header,      // written after its name
    Convention,  // none written: the one its naming convention implies (the archives' CNDC in S/m)
};

// How the values of one column read reach the engine.
struct ColumnReading {
    const FileName* convention = nullptr;  // whose name it has, as the convention writes it
    UnitOrigin unitOrigin = UnitOrigin::User;
    std::string unit;  // the unit written or implied, as the notes say it; empty: the user's
    // Applied to each value first: from a unit not among the user's (bar, K,
    // S m-1) into the engine's. The user's units (°F, S/m, µS/cm) convert
    // instead as the options' values do, so that a value comes back as typed.
    UnitMap map;
};

// The result columns of an earlier conversion read back: the method, the ten
// quantities and the inputs clamped, as the default outputs write them.
constexpr std::size_t kEarlierResultColumns = kQuantityCount + 2;

struct BatchColumns {
    ColumnKind kind = ColumnKind::CsvColumn;
    std::vector<ColumnRole> roles;
    std::vector<std::string> names;       // as the header gives them, for messages
    std::vector<ColumnReading> readings;  // by column
    UserUnits units;                      // of the columns read; for the other quantities, the user's
    QuantitySet quantities;               // the quantities a column gives
    bool method = false;                  // a column gives the method
    // The first of the result columns of an earlier conversion, whose sample
    // is read; names.size() when the header has none.
    std::size_t results = 0;
    // About carried columns that look meant to be read, also when the header
    // is refused for want of a column to read.
    std::vector<Suggestion> suggestions;
    // The choices made between columns: raw values carried beside adjusted
    // ones, salinity-related columns carried beside --source.
    std::vector<std::string> notes;
};

// Reads the header line, split into cells: every column is kept; those mapped
// by the user, those named (in any case) like our quantities or "method" or by
// the conventions of profile archives and CF, and the sample of an earlier
// conversion's results, are read in the unit the header writes, else the one
// their convention implies, else the user's. Of several salinity-related
// columns, the one of source is read. Fails with what is wrong with the
// header or the mappings.
Failure readHeader(std::string_view line, const std::vector<Cell>& cells, const std::vector<ColumnMapping>& mappings,
                   std::optional<Quantity> source, const UserUnits& userUnits, BatchColumns& columns);

// The same for the variables of a netCDF file: found by their CF standard
// name first, then by name; their units from their units attributes. A
// variable of no numbers that would be read is refused, naming it. Our own
// results are never read back as a batch's: a netCDF file has no method.
Failure readVariables(const std::vector<InputColumn>& variables, const std::vector<ColumnMapping>& mappings,
                      std::optional<Quantity> source, const UserUnits& userUnits, BatchColumns& columns);

// The names besides our own read without --column: "the profile archives'
// PRES, ... and the CF standard names sea_water_pressure, ...".
std::string conventionalNames();

// "column 3 'PSAL'", or "variable 'PSAL'": where the user looks.
std::string columnAt(const BatchColumns& columns, std::size_t index);

// "column 3 'PSAL' (practicalSalinity)": where the user looks, and what we took it for.
std::string describeColumn(const BatchColumns& columns, std::size_t index);

}  // namespace thalwen
