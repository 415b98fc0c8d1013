#include "form.h"

#include <string>

#include "dispatch.h"
#include "number_text.h"
#include "reference_water.h"
#include "resource_ids.h"

namespace {

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

// Longitude and latitude: an empty field means the default position, except
// under IES-80, which has no use for a position and reads an empty field as 0.
double readPositionField(HWND window, int controlId, int method, double defaultValue) {
    FieldText field = readFieldText(window, controlId);
    if (method == Ies80 || !field.empty()) return numberOf(field);
    return defaultValue;
}

// The defaults are Celsius values and are never converted.
double readTemperatureField(HWND window, int controlId, int fahrenheit, double defaultCelsius) {
    FieldText field = readFieldText(window, controlId);
    if (field.empty()) return defaultCelsius;
    double value = numberOf(field);
    return fahrenheit == 1 ? fahrenheitToCelsius(value) : value;
}

int readMethod(HWND window) {
    if (IsDlgButtonChecked(window, IDC_METHOD_EXACT) == BST_CHECKED) return Teos10Exact;
    if (IsDlgButtonChecked(window, IDC_METHOD_POLYNOMIAL) == BST_CHECKED) return Teos10Polynomial;
    return Ies80;
}

void writeField(HWND window, int controlId, const std::string& text) {
    SetWindowTextA(GetDlgItem(window, controlId), text.c_str());
}

void writeNumber(HWND window, int controlId, double value, int decimals) {
    writeField(window, controlId, formatFixed(value, decimals));
}

// Blank when absent: only the fields that can be absent after a conversion.
void writeOptionalNumber(HWND window, int controlId, double value, int decimals) {
    writeField(window, controlId, value == kNoValue ? std::string() : formatFixed(value, decimals));
}

double shownTemperature(double celsius, int fahrenheit) {
    return fahrenheit == 1 ? celsiusToFahrenheit(celsius) : celsius;
}

}  // namespace

double readFieldNumber(HWND window, int controlId) {
    FieldText field = readFieldText(window, controlId);
    return numberOf(field);
}

double readOptionalField(HWND window, int controlId) {
    FieldText field = readFieldText(window, controlId);
    if (field.empty()) return kNoValue;
    return numberOf(field);
}

void readForm(HWND window, int& method, Sample& sample, int fahrenheit) {
    method = readMethod(window);  // the position fields below depend on it
    sample.pressure = readFieldNumber(window, IDC_PRESSURE);
    sample.longitude = readPositionField(window, IDC_LONGITUDE, method, kDefaultSample.longitude);
    sample.latitude = readPositionField(window, IDC_LATITUDE, method, kDefaultSample.latitude);
    sample.temperature = readTemperatureField(window, IDC_TEMPERATURE, fahrenheit, kDefaultSample.temperature);
    sample.practicalSalinity = readOptionalField(window, IDC_PRACTICAL_SALINITY);
    sample.density = readOptionalField(window, IDC_DENSITY);
    sample.conductivity = readOptionalField(window, IDC_CONDUCTIVITY);
    sample.specificGravity = readOptionalField(window, IDC_SPECIFIC_GRAVITY);
    sample.referenceTemperature =
        readTemperatureField(window, IDC_REFERENCE_TEMPERATURE, fahrenheit, kDefaultSample.referenceTemperature);
}

void showResults(HWND window, int method, const Sample& sample, int fahrenheit) {
    writeNumber(window, IDC_PRESSURE, sample.pressure, 2);
    if (method == Ies80) {
        writeField(window, IDC_LONGITUDE, "");
        writeField(window, IDC_LATITUDE, "");
    } else {
        writeNumber(window, IDC_LONGITUDE, sample.longitude, 6);
        writeNumber(window, IDC_LATITUDE, sample.latitude, 6);
    }
    writeNumber(window, IDC_TEMPERATURE, shownTemperature(sample.temperature, fahrenheit), 2);
    writeNumber(window, IDC_PRACTICAL_SALINITY, sample.practicalSalinity, 5);
    if (method == Ies80) {
        writeField(window, IDC_ABSOLUTE_SALINITY, "");
    } else {
        writeOptionalNumber(window, IDC_ABSOLUTE_SALINITY, sample.absoluteSalinity, 5);
    }
    writeOptionalNumber(window, IDC_DENSITY, sample.density, 5);
    writeOptionalNumber(window, IDC_CONDUCTIVITY, sample.conductivity, 5);
    writeNumber(window, IDC_SPECIFIC_GRAVITY, sample.specificGravity, 5);
    writeNumber(window, IDC_REFERENCE_TEMPERATURE, shownTemperature(sample.referenceTemperature, fahrenheit), 2);
}

void convertForm(HWND window, int& method, Sample& sample, int fahrenheit) {
    readForm(window, method, sample, fahrenheit);
    convert(static_cast<Method>(method), sample);
    showResults(window, method, sample, fahrenheit);
}
