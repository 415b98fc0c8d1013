// The three shapes of a result: an aligned text table, CSV and JSON. Each
// appends to a caller's buffer so a batch reuses one buffer for every row.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "csv.h"
#include "exit_status.h"
#include "number_text.h"
#include "quantities.h"
#include "user_conversion.h"

namespace thalwen {

struct Style {
    bool full = false;        // every digit needed to read the double back, not the form's decimals
    bool fahrenheit = false;  // temperatures are in Fahrenheit
    const ConductivityUnit* conductivityUnit = &kMilliSiemensPerCentimetre;
};

// Fixed decimals, or when full the shortest text that reads back as value. Writes at most
// kMaxNumber characters at p and returns the end.
char* putNumber(char* p, double value, int decimals, bool full);
void appendNumber(std::string& out, double value, int decimals, bool full);

// The result columns of CSV: the method, the ten quantities and the inputs
// that were clamped.
constexpr std::size_t kResultColumns = kQuantityCount + 2;
// Their names, and their cells for one conversion, separated as the dialect
// wants; no line end.
void appendResultNames(std::string& out, const Style& style, const Dialect& dialect);
void appendCsvResults(std::string& out, const UserConversion& conversion, const Style& style, const Dialect& dialect);

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
