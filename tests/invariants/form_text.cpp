#include "form_text.h"

#include "number_text.h"
#include "reference_water.h"

namespace {

enum Field {
    kPressure,
    kLongitude,
    kLatitude,
    kTemperature,
    kPracticalSalinity,
    kAbsoluteSalinity,
    kDensity,
    kConductivity,
    kSpecificGravity,
    kReferenceTemperature
};

constexpr double Sample::*kMembers[10] = {
    &Sample::pressure,          &Sample::longitude,           &Sample::latitude, &Sample::temperature,
    &Sample::practicalSalinity, &Sample::absoluteSalinity,    &Sample::density,  &Sample::conductivity,
    &Sample::specificGravity,   &Sample::referenceTemperature};

constexpr int kDecimals[10] = {2, 6, 6, 2, 5, 5, 5, 5, 5, 2};

double number(const std::string& text) { return parseNumber(text.c_str()); }

double temperatureFrom(const std::string& text, double fallback, bool fahrenheit) {
    if (text.empty()) return fallback;
    return fahrenheit ? fahrenheitToCelsius(number(text)) : number(text);
}

}  // namespace

FormText shownText(Method method, const Sample& result, bool fahrenheit) {
    FormText text;
    for (int i = 0; i < 10; ++i) {
        double value = result.*kMembers[i];
        if (fahrenheit && (i == kTemperature || i == kReferenceTemperature)) value = celsiusToFahrenheit(value);
        text[i] = formatFixed(value, kDecimals[i]);
    }
    if (method == Ies80) text[kLongitude] = text[kLatitude] = "";
    if (method == Ies80 || result.absoluteSalinity == kNoValue) text[kAbsoluteSalinity] = "";
    if (result.density == kNoValue) text[kDensity] = "";
    if (result.conductivity == kNoValue) text[kConductivity] = "";
    return text;
}

Sample readText(Method method, const FormText& text, bool fahrenheit) {
    Sample s;
    s.pressure = number(text[kPressure]);
    s.longitude = method == Ies80 || !text[kLongitude].empty() ? number(text[kLongitude]) : 2.348785;
    s.latitude = method == Ies80 || !text[kLatitude].empty() ? number(text[kLatitude]) : 48.853402;
    s.temperature = temperatureFrom(text[kTemperature], 15, fahrenheit);
    for (int i : {kPracticalSalinity, kDensity, kConductivity, kSpecificGravity})
        s.*kMembers[i] = text[i].empty() ? kNoValue : number(text[i]);
    s.absoluteSalinity = kNoValue;  // an output only: never read
    s.referenceTemperature = temperatureFrom(text[kReferenceTemperature], 20, fahrenheit);
    return s;
}
