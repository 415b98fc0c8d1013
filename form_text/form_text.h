// The main form as texts: which quantity each field holds, how the text of a
// field reads and how a converted sample is written back. No window here: the
// interface reads and sets the controls' texts, these rules decide the rest.
#pragma once

#include <array>
#include <string>

#include "sample.h"

namespace thalwen {

// Buffer for one field's text, terminator included: longer texts are read by
// their first 19 characters.
constexpr int kFieldTextLimit = 20;

// One edit field of the form and the quantity it holds.
struct FormField {
    Quantity quantity;
    int control;           // its id in the main dialog
    bool blankWhenAbsent;  // shown blank, not as a number, when the quantity is absent
};

// The ten fields, in Sample order.
extern const FormField kFormFields[kQuantityCount];

// The texts of the ten fields, in Sample order.
using FormText = std::array<std::string, kQuantityCount>;

// The method the buttons choose: exact when its button is checked, else 48
// term when that one is, else IES-80.
Method methodOfButtons(bool exactChecked, bool polynomialChecked);

// Sets every quantity of sample but Absolute Salinity (an output only) from
// the texts, each read as its leading number (readLeadingNumber). An empty field means the start-up sample's value:
// absent for the salinity-related fields, Celsius values (never converted) for the temperatures; IES-80, which has no
// use for a position, reads an empty position field as 0. Temperatures typed in Fahrenheit are converted.
void readTexts(Method method, const FormText& text, bool fahrenheit, Sample& sample);

// The field of the form that shows a control's quantity; null for any other control.
const FormField* formFieldOf(int control);

// Of the four salinity-related quantities only the one the user chose is an
// input: the other three fields show what the last conversion derived, and
// are dropped here, so that a method, a unit or a slider never replaces the
// measured value by a round trip through the equations.
void keepOnlyInput(Quantity input, Sample& sample);

// The texts that show a converted sample: each quantity with its decimals,
// temperatures in Fahrenheit when asked; blank where IES-80 has no use for a
// quantity and where an optional result is absent.
FormText shownTexts(Method method, const Sample& sample, bool fahrenheit);

}  // namespace thalwen
