// The three shapes of a result: an aligned text table, CSV and JSON. Each
// appends to a caller's buffer so a batch reuses one buffer for every row.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "csv.h"
#include "exit_status.h"
#include "number_text.h"
#include "quantities.h"
#include "user_conversion.h"

namespace thalwen {

// One result the outputs show: the method, a quantity of the sample as used
// or derived, or one derived from it on request.
struct Output {
    enum class Kind { Method, Sample, Derived };
    Kind kind = Kind::Method;
    Quantity quantity = Quantity::Pressure;                              // of a Sample output
    DerivedQuantity derived = DerivedQuantity::ConservativeTemperature;  // of a Derived one
};

// The method and the ten quantities of the sample: what the outputs show
// unless asked otherwise, as they always have.
std::vector<Output> defaultOutputs();

// What a netCDF file gains unless asked otherwise: Absolute Salinity, the
// quantities derived on request, and the Practical Salinity of a file that
// gives another salinity-related input (source), those that method has. Its
// inputs it has already, and the method and reference temperature each
// result says in its attributes.
std::vector<Output> netcdfDefaultOutputs(Method method, Quantity source);

// The output named name (as CSV, JSON and --outputs name it), or none.
std::optional<Output> outputNamed(std::string_view name);

// Every name an output has, for messages: "method, pressure, ...".
std::string outputNames();

// The derived quantities among outputs: those a conversion must compute.
DerivedQuantitySet derivedIn(const std::vector<Output>& outputs);

struct Style {
    bool full = false;        // every digit needed to read the double back, not the form's decimals
    bool fahrenheit = false;  // temperatures are in Fahrenheit
    const ConductivityUnit* conductivityUnit = &kMilliSiemensPerCentimetre;
    std::vector<Output> outputs = defaultOutputs();  // in the order shown
};

// An output's name, as CSV, JSON and --outputs name it: "method", "density", "sigma0".
const char* outputName(const Output& output);

// Its unit in ASCII, as a CSV header writes it after a name and a netCDF
// units attribute says it: "degF", "S/m", "kg m-3"; "" for the method.
std::string unitSpelling(const Output& output, const Style& style);

// What it says of itself in a netCDF file, its unit in the engine's units.
CfAttributes cfAttributesOf(const Output& output);

// Its value in conversion; NaN when it has none (the method has none).
double resultValue(const UserConversion& conversion, const Output& output);

// Fixed decimals, or when full the shortest text that reads back as value. Writes at most
// kMaxNumber characters at p and returns the end.
char* putNumber(char* p, double value, int decimals, bool full);
void appendNumber(std::string& out, double value, int decimals, bool full);

// The result columns of CSV: the outputs and the inputs that were clamped.
inline std::size_t resultColumns(const Style& style) { return style.outputs.size() + 1; }
// Their names, and their cells for one conversion, separated as the dialect
// wants; no line end. A name that one of taken (an input's header cells) has
// already gets its unit, or a word, after it: no two columns share a name.
void appendResultNames(std::string& out, const Style& style, const Dialect& dialect,
                       const std::vector<std::string>& taken = {});
void appendCsvResults(std::string& out, const UserConversion& conversion, const Style& style, const Dialect& dialect);

// The result cells of style, looked up once for the millions of rows of a
// batch: what each holds, and its decimals.
struct ResultCell {
    bool method = false;
    double Sample::*sample = nullptr;              // a quantity of the sample,
    double DerivedQuantities::*derived = nullptr;  // or one derived
    int decimals = 0;
};
std::vector<ResultCell> resultCellsOf(const Style& style);
void appendCsvResults(std::string& out, const UserConversion& conversion, const std::vector<ResultCell>& cells,
                      bool full, const Dialect& dialect);

// The header line and the row of one sample, comma-separated.
void appendCsvHeader(std::string& out, const Style& style);
void appendCsvRow(std::string& out, const UserConversion& conversion, const Style& style);
void appendJson(std::string& out, const UserConversion& conversion, const Style& style);
void appendText(std::string& out, const UserConversion& conversion, const Style& style);

// One line per input the ranges changed: what was given, what was used.
void appendClampedNotes(std::string& out, const UserConversion& conversion, const Style& style);

// Writes text to file, then flushes file when flush; fails with the system's
// reason it could not.
Failure writeText(std::string_view text, std::FILE* file, bool flush);

// Says failure on err, a line; returns the exit status that tells it.
ExitStatus reportFailure(std::FILE* err, const Failure& failure);

}  // namespace thalwen
