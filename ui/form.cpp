#include "form.h"

#include "convert.h"
#include "number_text.h"
#include "resource_ids.h"

namespace thalwen {

namespace {

// One field's text, cut to kFieldTextLimit - 1 characters; empty when the
// control does not exist. The control keeps what the user typed.
std::string fieldText(HWND window, int controlId) {
    char text[kFieldTextLimit] = "";
    GetWindowTextA(GetDlgItem(window, controlId), text, kFieldTextLimit);
    return text;
}

}  // namespace

double readFieldNumber(HWND window, int controlId) { return readLeadingNumber(fieldText(window, controlId)); }

void readForm(HWND window, Method& method, Quantity input, Sample& sample, bool fahrenheit) {
    method = methodOfButtons(IsDlgButtonChecked(window, IDC_METHOD_EXACT) == BST_CHECKED,
                             IsDlgButtonChecked(window, IDC_METHOD_POLYNOMIAL) == BST_CHECKED);
    FormText text;
    for (int i = 0; i < kQuantityCount; ++i) text[i] = fieldText(window, kFormFields[i].control);
    readTexts(method, text, fahrenheit, sample);
    keepOnlyInput(input, sample);
}

void showResults(HWND window, Method method, const Sample& sample, bool fahrenheit) {
    const FormText text = shownTexts(method, sample, fahrenheit);
    for (int i = 0; i < kQuantityCount; ++i)
        SetWindowTextA(GetDlgItem(window, kFormFields[i].control), text[i].c_str());
}

void convertForm(HWND window, Method& method, Quantity input, Sample& sample, bool fahrenheit) {
    readForm(window, method, input, sample, fahrenheit);
    convert(method, sample);
    showResults(window, method, sample, fahrenheit);
}

}  // namespace thalwen
