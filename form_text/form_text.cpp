#include "form_text.h"

#include "number_text.h"
#include "quantities.h"
#include "reference_water.h"
#include "resource_ids.h"

namespace thalwen {

// Absolute Salinity, density and conductivity are blank when absent; the
// other results are always written, so a failure never hides as an empty field.
const FormField kFormFields[kQuantityCount] = {
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

namespace {

double readQuantity(const FormField& field, std::string_view text, Method method, bool fahrenheit) {
    const QuantityInfo& info = infoOf(field.quantity);
    if (text.empty()) {
        if (!usedBy(field.quantity, method)) return 0.0;
        return valueOf(kDefaultSample, field.quantity);
    }
    const double value = readLeadingNumber(text);
    return info.temperature && fahrenheit ? fahrenheitToCelsius(value) : value;
}

std::string shownText(const FormField& field, Method method, const Sample& sample, bool fahrenheit) {
    const QuantityInfo& info = infoOf(field.quantity);
    double value = valueOf(sample, field.quantity);
    if (!usedBy(field.quantity, method) || (field.blankWhenAbsent && !isPresent(value))) return "";
    if (info.temperature && fahrenheit) value = celsiusToFahrenheit(value);
    return formatFixed(value, info.decimals);
}

}  // namespace

Method methodOfButtons(bool exactChecked, bool polynomialChecked) {
    if (exactChecked) return Method::Teos10Exact;
    if (polynomialChecked) return Method::Teos10Polynomial;
    return Method::Ies80;
}

void readTexts(Method method, const FormText& text, bool fahrenheit, Sample& sample) {
    for (int i = 0; i < kQuantityCount; ++i)
        if (infoOf(kFormFields[i].quantity).input)
            valueOf(sample, kFormFields[i].quantity) = readQuantity(kFormFields[i], text[i], method, fahrenheit);
}

const FormField* formFieldOf(int control) {
    for (const FormField& field : kFormFields)
        if (field.control == control) return &field;
    return nullptr;
}

void keepOnlyInput(Quantity input, Sample& sample) {
    for (const QuantityInfo& info : kQuantities)
        if (info.salinityRelated && info.quantity != input) valueOf(sample, info.quantity) = kNoValue;
}

FormText shownTexts(Method method, const Sample& sample, bool fahrenheit) {
    FormText text;
    for (int i = 0; i < kQuantityCount; ++i) text[i] = shownText(kFormFields[i], method, sample, fahrenheit);
    return text;
}

}  // namespace thalwen
