// The three shapes of a result: an aligned text table, CSV and JSON. Each
// appends to a caller's buffer so a batch reuses one buffer for every row.
#pragma once

#include <string>
#include <string_view>

#include "number_text.h"
#include "report.h"

struct Style {
    bool full = false;        // 17 significant digits instead of the form's decimals
    bool fahrenheit = false;  // temperatures are in Fahrenheit
};

// Room for any row that putCsvRow writes.
constexpr std::size_t kMaxCsvRow = 8192;

// Fixed decimals, or 17 significant digits when full. Writes at most
// kMaxNumber characters at p and returns the end.
char* putNumber(char* p, double value, int decimals, bool full);
void appendNumber(std::string& out, double value, int decimals, bool full);

// The shortest text that reads back as value, for quoting a user's input.
void appendShortest(std::string& out, double value);

// Display width of UTF-8 text: the units hold a few two-byte characters.
std::size_t displayWidth(std::string_view text);

void appendCsvHeader(std::string& out);
// Writes at most kMaxCsvRow characters at p and returns the end.
char* putCsvRow(char* p, const Conversion& conversion, const Style& style);
void appendCsvRow(std::string& out, const Conversion& conversion, const Style& style);
void appendJson(std::string& out, const Conversion& conversion, const Style& style);
void appendText(std::string& out, const Conversion& conversion, const Style& style);

// One line per input the ranges changed: what was given, what was used.
void appendClampedNotes(std::string& out, const Conversion& conversion, const Style& style);
