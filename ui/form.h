// Reading the main form into a Sample and writing a converted Sample back.
#pragma once

#include <windows.h>

#include "sample.h"

// Buffer for one field's text, terminator included: longer texts are read by
// their first 19 characters.
constexpr int kFieldTextLimit = 20;

// The number a field's text stands for (comma accepted; empty or not a number gives 0).
double readFieldNumber(HWND window, int controlId);

void readForm(HWND window, Method& method, Sample& sample, bool fahrenheit);
void showResults(HWND window, Method method, const Sample& sample, bool fahrenheit);
void convertForm(HWND window, Method& method, Sample& sample, bool fahrenheit);
