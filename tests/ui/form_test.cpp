// Reading dialog IDD_MAIN into a Sample and writing a Sample back, on the real template.
#include "form.h"
#include "app_state.h"
#include "number_text.h"
#include "resource_ids.h"
#include "wine_test.h"

namespace {

constexpr bool kCelsius = false;
constexpr bool kFahrenheit = true;

// A sample whose every quantity is present and distinct, to see which field gets which.
Sample fullSample() { return {12.346, -4.5, 51.25, 10.0, 35.123456, 35.29, 1027.1234567, 42.9, 1.0278, 20.0}; }

Sample readSample(const FormWindow& form, Method& method, bool fahrenheit = kCelsius) {
    Sample sample = kDefaultSample;
    sample.pressure = sample.longitude = sample.latitude = sample.temperature = -1.0;
    readForm(form.handle(), method, sample, fahrenheit);
    return sample;
}

// One conversion of the form as the main window runs it, from a fresh sample.
Sample convertOnce(const FormWindow& form, bool fahrenheit = kCelsius) {
    Method method = Ies80;
    Sample sample = kDefaultSample;
    convertForm(form.handle(), method, sample, fahrenheit);
    return sample;
}

}  // namespace

TEST(FormReading, EmptyFieldsTakeTheDefaults) {
    FormWindow form;
    form.checkMethod(IDC_METHOD_EXACT);
    Method method = Ies80;
    Sample sample = readSample(form, method);
    EXPECT_EQ(method, Teos10Exact);
    EXPECT_EQ(sample.pressure, 0.0);
    EXPECT_EQ(sample.longitude, 2.348785);
    EXPECT_EQ(sample.latitude, 48.853402);
    EXPECT_EQ(sample.temperature, 15.0);
    EXPECT_EQ(sample.practicalSalinity, kNoValue);
    EXPECT_EQ(sample.density, kNoValue);
    EXPECT_EQ(sample.conductivity, kNoValue);
    EXPECT_EQ(sample.specificGravity, kNoValue);
    EXPECT_EQ(sample.referenceTemperature, 20.0);
}

TEST(FormReading, MethodFollowsTheButtons) {
    FormWindow form;
    Method method = Ies80;
    form.checkMethod(IDC_METHOD_POLYNOMIAL);
    readSample(form, method);
    EXPECT_EQ(method, Teos10Polynomial);
    form.checkMethod(IDC_METHOD_IES80);
    readSample(form, method);
    EXPECT_EQ(method, Ies80);
    form.checkMethod(0);  // none checked
    readSample(form, method);
    EXPECT_EQ(method, Ies80);
}

TEST(FormReading, PositionUnderIes80HasNoDefault) {
    FormWindow form;
    form.checkMethod(IDC_METHOD_IES80);
    Method method = Ies80;
    Sample sample = readSample(form, method);
    EXPECT_EQ(sample.longitude, 0.0);
    EXPECT_EQ(sample.latitude, 0.0);

    form.setText(IDC_LONGITUDE, "-3,25");
    form.setText(IDC_LATITUDE, "47.5");
    sample = readSample(form, method);
    EXPECT_EQ(sample.longitude, -3.25);
    EXPECT_EQ(sample.latitude, 47.5);
}

TEST(FormReading, FahrenheitFieldsAreReadInCelsiusButDefaultsAreCelsiusAlready) {
    FormWindow form;
    form.checkMethod(IDC_METHOD_EXACT);
    Method method = Ies80;
    Sample sample = readSample(form, method, kFahrenheit);
    EXPECT_EQ(sample.temperature, 15.0);
    EXPECT_EQ(sample.referenceTemperature, 20.0);

    form.setText(IDC_TEMPERATURE, "50");
    form.setText(IDC_REFERENCE_TEMPERATURE, "39,2");
    sample = readSample(form, method, kFahrenheit);
    EXPECT_NEAR(sample.temperature, 10.0, 1e-12);
    EXPECT_NEAR(sample.referenceTemperature, 4.0, 1e-12);

    sample = readSample(form, method, kCelsius);
    EXPECT_EQ(sample.temperature, 50.0);
}

TEST(FormReading, TextsReadAsTheirLeadingNumber) {
    FormWindow form;
    form.checkMethod(IDC_METHOD_EXACT);
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"35,5", 35.5}, {"12 dbar", 12.0}, {"1,234,5", 1.234}, {"abc", 0.0},  {"  -7.5e1", -75}, {"0x1A", 0.0},
        {"inf", 0.0},   {"nan", 0.0},      {"+.5", 0.5},       {",25", 0.25}, {"1e", 1.0},       {"-", 0.0},
    };
    for (const auto& c : cases) {
        form.setText(IDC_PRACTICAL_SALINITY, c.text);
        form.setText(IDC_PRESSURE, c.text);
        Method method = Ies80;
        Sample sample = readSample(form, method);
        EXPECT_EQ(sample.practicalSalinity, c.value) << c.text;
        EXPECT_EQ(sample.pressure, c.value) << c.text;
    }
}

TEST(FormReading, CommaIsReplacedInTheCopyNotInTheField) {
    FormWindow form;
    form.setText(IDC_DENSITY, "1025,5");
    Method method = Ies80;
    Sample sample = readSample(form, method);
    EXPECT_EQ(sample.density, 1025.5);
    EXPECT_EQ(form.text(IDC_DENSITY), "1025,5");
}

TEST(FormReading, OnlyTheFirst19CharactersCount) {
    FormWindow form;
    // 25 characters; the first 19 read as 1, all 25 would read as 1234567.
    form.setText(IDC_CONDUCTIVITY, "0000000000000000001234567");
    form.setText(IDC_PRESSURE, "0000000000000000001234567");
    Method method = Ies80;
    Sample sample = readSample(form, method);
    EXPECT_EQ(sample.conductivity, 1.0);
    EXPECT_EQ(sample.pressure, 1.0);
}

TEST(FormReading, BlanksOnlyAreNotEmpty) {
    FormWindow form;
    form.setText(IDC_SPECIFIC_GRAVITY, "   ");
    form.setText(IDC_TEMPERATURE, " ");
    Method method = Ies80;
    Sample sample = readSample(form, method);
    EXPECT_EQ(sample.specificGravity, 0.0);
    EXPECT_EQ(sample.temperature, 0.0);
}

TEST(FormReading, AbsoluteSalinityFieldIsNeverRead) {
    FormWindow form;
    form.setText(IDC_ABSOLUTE_SALINITY, "12");
    Sample sample = kDefaultSample;
    sample.absoluteSalinity = 77.0;
    Method method = Ies80;
    readForm(form.handle(), method, sample, kCelsius);
    EXPECT_EQ(sample.absoluteSalinity, 77.0);
}

TEST(FormWriting, EveryQuantityWithItsDecimals) {
    FormWindow form;
    showResults(form.handle(), Teos10Exact, fullSample(), kCelsius);
    EXPECT_EQ(form.text(IDC_PRESSURE), "12.35");
    EXPECT_EQ(form.text(IDC_LONGITUDE), "-4.500000");
    EXPECT_EQ(form.text(IDC_LATITUDE), "51.250000");
    EXPECT_EQ(form.text(IDC_TEMPERATURE), "10.00");
    EXPECT_EQ(form.text(IDC_PRACTICAL_SALINITY), "35.12346");
    EXPECT_EQ(form.text(IDC_ABSOLUTE_SALINITY), "35.29000");
    EXPECT_EQ(form.text(IDC_DENSITY), "1027.12346");
    EXPECT_EQ(form.text(IDC_CONDUCTIVITY), "42.90000");
    EXPECT_EQ(form.text(IDC_SPECIFIC_GRAVITY), "1.02780");
    EXPECT_EQ(form.text(IDC_REFERENCE_TEMPERATURE), "20.00");
}

TEST(FormWriting, Ies80BlanksPositionAndAbsoluteSalinity) {
    FormWindow form;
    form.setText(IDC_LONGITUDE, "1");
    form.setText(IDC_LATITUDE, "2");
    showResults(form.handle(), Ies80, fullSample(), kCelsius);
    EXPECT_EQ(form.text(IDC_LONGITUDE), "");
    EXPECT_EQ(form.text(IDC_LATITUDE), "");
    EXPECT_EQ(form.text(IDC_ABSOLUTE_SALINITY), "");
    EXPECT_EQ(form.text(IDC_DENSITY), "1027.12346");
}

TEST(FormWriting, OnlyAbsentDensityConductivityAndAbsoluteSalinityAreBlank) {
    FormWindow form;
    Sample sample = fullSample();
    sample.absoluteSalinity = sample.density = sample.conductivity = kNoValue;
    sample.practicalSalinity = sample.specificGravity = kNoValue;
    showResults(form.handle(), Teos10Polynomial, sample, kCelsius);
    EXPECT_EQ(form.text(IDC_ABSOLUTE_SALINITY), "");
    EXPECT_EQ(form.text(IDC_DENSITY), "");
    EXPECT_EQ(form.text(IDC_CONDUCTIVITY), "");
    EXPECT_EQ(form.text(IDC_PRACTICAL_SALINITY), "-999999.00000");
    EXPECT_EQ(form.text(IDC_SPECIFIC_GRAVITY), "-999999.00000");

    // The failure value is a number like any other.
    sample.density = GSW_INVALID_VALUE;
    showResults(form.handle(), Teos10Polynomial, sample, kCelsius);
    EXPECT_EQ(form.text(IDC_DENSITY), "9000000000000000.00000");
}

TEST(FormWriting, FahrenheitShowsBothTemperaturesInFahrenheit) {
    FormWindow form;
    Sample sample = fullSample();
    sample.temperature = 15.0;
    showResults(form.handle(), Teos10Exact, sample, kFahrenheit);
    EXPECT_EQ(form.text(IDC_TEMPERATURE), "59.00");
    EXPECT_EQ(form.text(IDC_REFERENCE_TEMPERATURE), "68.00");
}

TEST(FormConversion, EmptyFormConvertsTheDefaultSample) {
    FormWindow form;
    form.checkMethod(IDC_METHOD_EXACT);
    Method method = Ies80;
    Sample sample = kDefaultSample;
    convertForm(form.handle(), method, sample, kCelsius);
    EXPECT_EQ(method, Teos10Exact);
    EXPECT_EQ(form.text(IDC_PRESSURE), "0.00");
    EXPECT_EQ(form.text(IDC_LONGITUDE), "2.348785");
    EXPECT_EQ(form.text(IDC_LATITUDE), "48.853402");
    EXPECT_EQ(form.text(IDC_TEMPERATURE), "15.00");
    EXPECT_EQ(form.text(IDC_PRACTICAL_SALINITY), "35.00000");  // the engine's default salinity
    EXPECT_EQ(form.text(IDC_REFERENCE_TEMPERATURE), "20.00");
    // Seawater of Sp 35 at 15 degC near the surface: about 1026 kg/m3, 42.9 mS/cm.
    EXPECT_NEAR(parseNumber(form.text(IDC_DENSITY).c_str()), 1025.97, 0.05);
    EXPECT_NEAR(parseNumber(form.text(IDC_CONDUCTIVITY).c_str()), 42.91, 0.05);
    EXPECT_NE(form.text(IDC_ABSOLUTE_SALINITY), "");
}

// 183 degE, in the 0..360 convention of ocean data, is 177 degW.
TEST(FormConversion, ALongitudeBeyond180ShowsTheSamePlace) {
    FormWindow form;
    form.checkMethod(IDC_METHOD_EXACT);
    form.setText(IDC_LONGITUDE, "183");
    convertOnce(form);
    EXPECT_EQ(form.text(IDC_LONGITUDE), "-177.000000");
}

TEST(FormConversion, FahrenheitDefaultsAndRoundTrip) {
    FormWindow form;
    form.checkMethod(IDC_METHOD_POLYNOMIAL);
    convertOnce(form, kFahrenheit);
    EXPECT_EQ(form.text(IDC_TEMPERATURE), "59.00");
    EXPECT_EQ(form.text(IDC_REFERENCE_TEMPERATURE), "68.00");

    form.setText(IDC_TEMPERATURE, "50");
    EXPECT_NEAR(convertOnce(form, kFahrenheit).temperature, 10.0, 1e-9);
    EXPECT_EQ(form.text(IDC_TEMPERATURE), "50.00");
}

TEST(FormConversion, Ies80LeavesPositionBlankAndAbsoluteSalinityFieldHasNoInfluence) {
    FormWindow form;
    form.checkMethod(IDC_METHOD_IES80);
    form.setText(IDC_PRACTICAL_SALINITY, "35");
    convertOnce(form);
    EXPECT_EQ(form.text(IDC_LONGITUDE), "");
    EXPECT_EQ(form.text(IDC_LATITUDE), "");
    EXPECT_EQ(form.text(IDC_ABSOLUTE_SALINITY), "");
    const std::string density = form.text(IDC_DENSITY);

    form.setText(IDC_ABSOLUTE_SALINITY, "3");
    convertOnce(form);
    EXPECT_EQ(form.text(IDC_DENSITY), density);
}
