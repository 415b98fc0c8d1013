// Numbers as text, the same in every locale and for every part of Thalwen: the
// window, the command line, the fuzz targets and the tests read and write
// their numbers here. '.' is always the decimal point; on input a ',' is read
// as one wherever the decimal point may stand. Every number read is the
// correctly rounded double, and every fixed-point text the one printf writes
// in the classic locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace thalwen {

// ---- Reading ------------------------------------------------------------------------------------

// Reads the longest leading number of text, as the C library's atof does in
// the classic locale: blanks, sign, digits, '.' fraction, exponent; no
// hexadecimal, infinity or not-a-number forms. A text with no leading number
// gives 0. When end is given it receives the first character not read (text
// itself when no number was found). Overflow gives +-HUGE_VAL.
double parseNumber(const char* text, const char** end = nullptr);

// The window's lenient reading: the leading number of text, a comma read as
// the decimal point; 0 when text does not start with a number.
double readLeadingNumber(std::string_view text);

// The command line's strict reading: text must wholly be one finite decimal
// number, blanks around it ignored, a comma read as the decimal point. Returns
// nullptr and sets value, or returns why the text is not such a number.
const char* readDecimal(std::string_view text, double& value);

// text without the blanks (spaces and tabs) around it and a line end's '\r'.
std::string_view trimBlanks(std::string_view text);

// ---- Writing ------------------------------------------------------------------------------------

// Room for any number the put functions write: "%.8f" of the largest double
// takes 318 characters.
constexpr std::size_t kMaxNumber = 400;

// Each writes at most kMaxNumber characters at p and returns the end.
char* putFixed(char* p, double value, int decimals);  // as "%.*f" writes it in the classic locale
char* putShortest(char* p, double value);             // the shortest text that reads back as value

// value with exactly decimals digits after '.'.
std::string formatFixed(double value, int decimals);

// ---- Numbers in a batch's own buffers -----------------------------------------------------------

// A batch reads its cells from, and writes its results into, buffers of its
// own, which can hold a few bytes more than the text: these read and write a
// number sixteen bytes at a time where the processor can, and give the very
// values and texts of readDecimal and putFixed.
constexpr std::size_t kPadding = 16;

// readDecimal, where the kPadding bytes after text's end may be read (the
// rest of the line, or a spare end of the buffer); they are no part of the
// number, whatever they hold.
const char* readDecimalPadded(std::string_view text, double& value);

// putFixed, where the kMaxNumber characters at p may all be overwritten: up
// to kPadding characters past the returned end may change.
char* putFixedPadded(char* p, double value, int decimals);

// How the padded entry points work on this machine: "SSSE3" (sixteen bytes
// at a time) or "plain" (as readDecimal and putFixed).
const char* paddedPath();

// Appends the shortest text that reads back as value, for quoting a user's
// input or a default.
void appendShortest(std::string& out, double value);

}  // namespace thalwen
