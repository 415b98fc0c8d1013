// The form's text rules: what each field's text reads as, and what each
// quantity of a result is shown as.
#include <gtest/gtest.h>

#include "form_text.h"
#include "quantities.h"

using namespace thalwen;

namespace {

constexpr bool kCelsius = false;
constexpr bool kFahrenheit = true;
constexpr double kUntouched = 77.0;  // what a field that is not read leaves

// The value read from one field's text, every other field empty.
double readOne(Method method, Quantity quantity, const char* text, bool fahrenheit) {
    FormText texts;
    texts[static_cast<int>(quantity)] = text;
    Sample sample;
    for (const QuantityInfo& info : kQuantities) valueOf(sample, info.quantity) = kUntouched;
    readTexts(method, texts, fahrenheit, sample);
    return valueOf(sample, quantity);
}

// A sample whose every quantity is present and distinct, to see which text shows which.
Sample fullSample() { return {12.346, -4.5, 51.25, 10.0, 35.123456, 35.29, 1027.1234567, 42.9, 1.0278, 20.0}; }

}  // namespace

TEST(FormText, MethodFollowsTheButtons) {
    EXPECT_EQ(methodOfButtons(true, false), Method::Teos10Exact);
    EXPECT_EQ(methodOfButtons(true, true), Method::Teos10Exact);
    EXPECT_EQ(methodOfButtons(false, true), Method::Teos10Polynomial);
    EXPECT_EQ(methodOfButtons(false, false), Method::Ies80);  // none checked
}

TEST(FormText, EachFieldReadsItsTextOrItsDefault) {
    const struct {
        Method method;
        bool fahrenheit;
        Quantity quantity;
        const char* text;
        double expected;
    } rows[] = {
        {Method::Teos10Exact, kCelsius, Quantity::Pressure, "", 0.0},
        {Method::Teos10Exact, kCelsius, Quantity::Longitude, "", 2.348785},
        {Method::Teos10Exact, kCelsius, Quantity::Latitude, "", 48.853402},
        {Method::Ies80, kCelsius, Quantity::Longitude, "", 0.0},  // no use for a position, no default
        {Method::Ies80, kCelsius, Quantity::Latitude, "", 0.0},
        {Method::Ies80, kCelsius, Quantity::Longitude, "-3,25", -3.25},
        {Method::Teos10Polynomial, kCelsius, Quantity::Latitude, "47.5", 47.5},
        {Method::Teos10Exact, kCelsius, Quantity::Temperature, "", 15.0},
        {Method::Teos10Exact, kFahrenheit, Quantity::Temperature, "", 15.0},  // a Celsius default, never converted
        {Method::Teos10Exact, kFahrenheit, Quantity::Temperature, "50", 10.0},
        {Method::Teos10Exact, kCelsius, Quantity::Temperature, "50", 50.0},
        {Method::Teos10Exact, kCelsius, Quantity::ReferenceTemperature, "", 20.0},
        {Method::Teos10Exact, kFahrenheit, Quantity::ReferenceTemperature, "", 20.0},
        {Method::Ies80, kFahrenheit, Quantity::ReferenceTemperature, "39,2", 4.0},
        {Method::Teos10Exact, kCelsius, Quantity::PracticalSalinity, "", kNoValue},
        {Method::Teos10Exact, kCelsius, Quantity::Density, "", kNoValue},
        {Method::Teos10Exact, kCelsius, Quantity::Conductivity, "", kNoValue},
        {Method::Teos10Exact, kCelsius, Quantity::SpecificGravity, "", kNoValue},
        {Method::Teos10Exact, kCelsius, Quantity::PracticalSalinity, "12 dbar", 12.0},
        {Method::Teos10Exact, kCelsius, Quantity::Density, "1025,5", 1025.5},
        {Method::Teos10Exact, kCelsius, Quantity::SpecificGravity, "   ", 0.0},  // blanks are not empty
        {Method::Teos10Exact, kFahrenheit, Quantity::Pressure, "abc", 0.0},
        {Method::Teos10Exact, kCelsius, Quantity::AbsoluteSalinity, "12", kUntouched},  // an output only
    };
    for (const auto& row : rows)
        EXPECT_NEAR(readOne(row.method, row.quantity, row.text, row.fahrenheit), row.expected, 1e-12)
            << infoOf(row.quantity).name << " '" << row.text << "' " << infoOf(row.method).name
            << (row.fahrenheit ? " in F" : "");
}

TEST(FormText, EveryQuantityShownWithItsDecimalsAndBlanks) {
    Sample absent = fullSample();
    absent.absoluteSalinity = absent.density = absent.conductivity = kNoValue;
    absent.practicalSalinity = absent.specificGravity = kNoValue;
    Sample failed = fullSample();
    failed.density = GSW_INVALID_VALUE;  // a number like any other
    const struct {
        Method method;
        bool fahrenheit;
        Sample sample;
        FormText expected;
    } rows[] = {
        {Method::Teos10Exact,
         kCelsius,
         fullSample(),
         {"12.35", "-4.500000", "51.250000", "10.00", "35.12346", "35.29000", "1027.12346", "42.90000", "1.02780",
          "20.00"}},
        {Method::Ies80,
         kCelsius,
         fullSample(),
         {"12.35", "", "", "10.00", "35.12346", "", "1027.12346", "42.90000", "1.02780", "20.00"}},
        {Method::Teos10Polynomial,
         kFahrenheit,
         fullSample(),
         {"12.35", "-4.500000", "51.250000", "50.00", "35.12346", "35.29000", "1027.12346", "42.90000", "1.02780",
          "68.00"}},
        {Method::Teos10Polynomial,
         kCelsius,
         absent,
         {"12.35", "-4.500000", "51.250000", "10.00", "-999999.00000", "", "", "", "-999999.00000", "20.00"}},
        {Method::Teos10Exact,
         kCelsius,
         failed,
         {"12.35", "-4.500000", "51.250000", "10.00", "35.12346", "35.29000", "9000000000000000.00000", "42.90000",
          "1.02780", "20.00"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(shownTexts(row.method, row.sample, row.fahrenheit), row.expected)
            << infoOf(row.method).name << (row.fahrenheit ? " in F" : "");
}
