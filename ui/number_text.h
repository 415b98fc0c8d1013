// Numbers as the form reads and writes them, independent of any locale:
// '.' is always the decimal point.
#pragma once

#include <string>

// Reads the longest leading number of text, as the C library's atof does in
// the classic locale: blanks, sign, digits, '.' fraction, exponent; no
// hexadecimal, infinity or not-a-number forms. A text with no leading number
// gives 0. When end is given it receives the first character not read (text
// itself when no number was found). Overflow gives +-HUGE_VAL.
double parseNumber(const char* text, const char** end = nullptr);

// value with exactly decimals digits after '.', as "%.*f" writes it in the classic locale.
std::string formatFixed(double value, int decimals);
