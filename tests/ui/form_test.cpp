// Reading dialog IDD_MAIN into a Sample and writing a Sample back, on the real template.
#include "form.h"
#include "app_state.h"
#include "number_text.h"
#include "quantities.h"
#include "resource_ids.h"
#include "wine_test.h"

using namespace thalwen;

namespace {

constexpr bool kCelsius = false;
constexpr bool kFahrenheit = true;

// A sample whose every quantity is present and distinct, to see which field gets which.
Sample fullSample() { return {12.346, -4.5, 51.25, 10.0, 35.123456, 35.29, 1027.1234567, 42.9, 1.0278, 20.0}; }

Sample readSample(const FormWindow& form, Method& method, Quantity input = Quantity::PracticalSalinity) {
    Sample sample = kDefaultSample;
    sample.pressure = sample.longitude = sample.latitude = sample.temperature = -1.0;
    readForm(form.handle(), method, input, sample, kCelsius);
    return sample;
}

// One conversion of the form as the main window runs it, from a fresh sample.
Sample convertOnce(const FormWindow& form, bool fahrenheit = kCelsius) {
    Method method = Method::Ies80;
    Sample sample = kDefaultSample;
    convertForm(form.handle(), method, Quantity::PracticalSalinity, sample, fahrenheit);
    return sample;
}

}  // namespace

// Which control is read into which quantity, of the salinity-related ones
// only the input's; the text rules themselves are the form text's own tests.
TEST(FormReading, EveryFieldIsReadIntoItsQuantity) {
    FormWindow form;
    form.checkMethod(IDC_METHOD_EXACT);
    const int controls[] = {
        IDC_PRESSURE,          IDC_LONGITUDE, IDC_LATITUDE,     IDC_TEMPERATURE,      IDC_PRACTICAL_SALINITY,
        IDC_ABSOLUTE_SALINITY, IDC_DENSITY,   IDC_CONDUCTIVITY, IDC_SPECIFIC_GRAVITY, IDC_REFERENCE_TEMPERATURE};
    for (int i = 0; i < 10; ++i) form.setText(controls[i], std::to_string(i + 1).c_str());
    for (Quantity input :
         {Quantity::PracticalSalinity, Quantity::Density, Quantity::Conductivity, Quantity::SpecificGravity}) {
        Method method = Method::Ies80;
        Sample sample = kDefaultSample;
        sample.absoluteSalinity = 77.0;
        readForm(form.handle(), method, input, sample, kCelsius);
        Sample expected = {1,  2,        3,        4,        kNoValue,
                           77, kNoValue, kNoValue, kNoValue, 10};  // Absolute Salinity: never read
        valueOf(expected, input) = valueOf(Sample{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, input);
        for (const QuantityInfo& info : kQuantities)
            EXPECT_EQ(valueOf(sample, info.quantity), valueOf(expected, info.quantity))
                << info.name << ", input " << infoOf(input).name;
    }
}

TEST(FormReading, MethodFollowsTheButtons) {
    FormWindow form;
    Method method = Method::Ies80;
    form.checkMethod(IDC_METHOD_POLYNOMIAL);
    readSample(form, method);
    EXPECT_EQ(method, Method::Teos10Polynomial);
    form.checkMethod(IDC_METHOD_IES80);
    readSample(form, method);
    EXPECT_EQ(method, Method::Ies80);
    form.checkMethod(0);  // none checked
    readSample(form, method);
    EXPECT_EQ(method, Method::Ies80);
}

TEST(FormReading, CommaIsReplacedInTheCopyNotInTheField) {
    FormWindow form;
    form.setText(IDC_DENSITY, "1025,5");
    Method method = Method::Ies80;
    Sample sample = readSample(form, method, Quantity::Density);
    EXPECT_EQ(sample.density, 1025.5);
    EXPECT_EQ(form.text(IDC_DENSITY), "1025,5");
}

TEST(FormReading, OnlyTheFirst19CharactersCount) {
    FormWindow form;
    // 25 characters; the first 19 read as 1, all 25 would read as 1234567.
    form.setText(IDC_CONDUCTIVITY, "0000000000000000001234567");
    form.setText(IDC_PRESSURE, "0000000000000000001234567");
    Method method = Method::Ies80;
    Sample sample = readSample(form, method, Quantity::Conductivity);
    EXPECT_EQ(sample.conductivity, 1.0);
    EXPECT_EQ(sample.pressure, 1.0);
}

TEST(FormWriting, EveryQuantityWithItsDecimals) {
    FormWindow form;
    showResults(form.handle(), Method::Teos10Exact, fullSample(), kCelsius);
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

TEST(FormConversion, EmptyFormConvertsTheDefaultSample) {
    FormWindow form;
    form.checkMethod(IDC_METHOD_EXACT);
    Method method = Method::Ies80;
    Sample sample = kDefaultSample;
    convertForm(form.handle(), method, Quantity::PracticalSalinity, sample, kCelsius);
    EXPECT_EQ(method, Method::Teos10Exact);
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
