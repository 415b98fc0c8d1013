#include "form.h"

#include <string>

#include "dispatch.h"
#include "number_text.h"
#include "quantities.h"
#include "reference_water.h"
#include "resource_ids.h"

namespace {

// The form's fields, in Sample order. IES-80 leaves blank what it has no use
// for; some fields are also blank when their quantity is absent.
struct FormField {
    Quantity quantity;
    int control;
    bool blankWhenAbsent;
};
constexpr FormField kFormFields[] = {
    {Quantity::Pressure, IDC_PRESSURE, false},
    {Quantity::Longitude, IDC_LONGITUDE, false},
    {Quantity::Latitude, IDC_LATITUDE, false},
    {Quantity::Temperature, IDC_TEMPERATURE, false},
    {Quantity::PracticalSalinity, IDC_PRACTICAL_SALINITY, false},
    {Quantity::AbsoluteSalinity, IDC_ABSOLUTE_SALINITY, true},
    {Quantity::Density, IDC_DENSITY, true},
    {Quantity::Conductivity, IDC_CONDUCTIVITY, true},
    {Quantity::SpecificGravity, IDC_SPECIFIC_GRAVITY, false},
    {Quantity::ReferenceTemperature, IDC_REFERENCE_TEMPERATURE, false},
};

// One field's text, cut to kFieldTextLimit - 1 characters; empty when the
// control does not exist.
struct FieldText {
    char text[kFieldTextLimit];
    bool empty() const { return text[0] == '\0'; }
};

FieldText readFieldText(HWND window, int controlId) {
    FieldText field{};
    GetWindowTextA(GetDlgItem(window, controlId), field.text, kFieldTextLimit);
    return field;
}

// The control keeps what the user typed, a comma included.
double numberOf(const FieldText& field) { return readLeadingNumber(field.text); }

Method readMethod(HWND window) {
    if (IsDlgButtonChecked(window, IDC_METHOD_EXACT) == BST_CHECKED) return Teos10Exact;
    if (IsDlgButtonChecked(window, IDC_METHOD_POLYNOMIAL) == BST_CHECKED) return Teos10Polynomial;
    return Ies80;
}

// What a field's text stands for. An empty field means the start-up
// sample's value (absent for the salinity-related fields; Celsius values,
// never converted, for the temperatures), except that IES-80, which has no
// use for a position, reads an empty position field as 0.
double readQuantity(HWND window, const FormField& field, Method method, bool fahrenheit) {
    const QuantityInfo& info = infoOf(field.quantity);
    const FieldText text = readFieldText(window, field.control);
    if (text.empty()) {
        if (info.teos10Only && method == Ies80) return 0.0;
        return valueOf(kDefaultSample, field.quantity);
    }
    const double value = numberOf(text);
    return info.temperature && fahrenheit ? fahrenheitToCelsius(value) : value;
}

// The field's text for a quantity of the result.
std::string shownText(const FormField& field, Method method, const Sample& sample, bool fahrenheit) {
    const QuantityInfo& info = infoOf(field.quantity);
    double value = valueOf(sample, field.quantity);
    if ((info.teos10Only && method == Ies80) || (field.blankWhenAbsent && !isPresent(value))) return "";
    if (info.temperature && fahrenheit) value = celsiusToFahrenheit(value);
    return formatFixed(value, info.decimals);
}

}  // namespace

double readFieldNumber(HWND window, int controlId) {
    FieldText field = readFieldText(window, controlId);
    return numberOf(field);
}

void readForm(HWND window, Method& method, Sample& sample, bool fahrenheit) {
    method = readMethod(window);  // an empty position field depends on it
    for (const FormField& field : kFormFields)
        if (infoOf(field.quantity).input)
            valueOf(sample, field.quantity) = readQuantity(window, field, method, fahrenheit);
}

void showResults(HWND window, Method method, const Sample& sample, bool fahrenheit) {
    for (const FormField& field : kFormFields)
        SetWindowTextA(GetDlgItem(window, field.control), shownText(field, method, sample, fahrenheit).c_str());
}

void convertForm(HWND window, Method& method, Sample& sample, bool fahrenheit) {
    readForm(window, method, sample, fahrenheit);
    convert(method, sample);
    showResults(window, method, sample, fahrenheit);
}
