// Reading the main form into a Sample and writing a converted Sample back.
#pragma once

#include <windows.h>

#include "form_text.h"
#include "sample.h"

namespace thalwen {

// The number a field's text stands for (comma accepted; empty or not a number gives 0).
double readFieldNumber(HWND window, int controlId);

// Reads the method buttons and the fields; of the salinity-related fields only
// that of input (keepOnlyInput).
void readForm(HWND window, Method& method, Quantity input, Sample& sample, bool fahrenheit);
void showResults(HWND window, Method method, const Sample& sample, bool fahrenheit);
void convertForm(HWND window, Method& method, Quantity input, Sample& sample, bool fahrenheit);

}  // namespace thalwen
