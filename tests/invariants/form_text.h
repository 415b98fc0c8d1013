// The form's round of showing a result and reading it back, without the
// window: each quantity written with the form's decimals, blank where the form
// leaves it blank, and read again with the form's defaults for empty fields.
#pragma once

#include <array>
#include <string>

#include "sample.h"

using FormText = std::array<std::string, 10>;  // the ten fields in Sample order

FormText shownText(Method method, const Sample& result, bool fahrenheit);
Sample readText(Method method, const FormText& text, bool fahrenheit);
