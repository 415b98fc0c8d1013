// The shapes of a result and the report of clamped inputs.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "options.h"
#include "output.h"
#include "user_conversion.h"

using namespace thalwen;

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.push_back("");
    return parts;
}

Sample withDefaults(Quantity quantity, double value) {
    Sample sample = kDefaultSample;
    valueOf(sample, quantity) = value;
    return sample;
}

TEST(Shapes, JsonHoldsMethodTheTenQuantitiesInOrderAndClamped) {
    UserConversion conversion = convertSample(Method::Ies80, kDefaultSample, false);
    std::string json;
    appendJson(json, conversion, Style{});
    std::vector<std::string> lines = split(json, '\n');
    ASSERT_EQ(lines.size(), 16u) << json;
    EXPECT_EQ(lines[0], "{");
    EXPECT_EQ(lines[1], "  \"method\": \"ies80\",");
    const char* const names[] = {"pressure",          "longitude",           "latitude", "temperature",
                                 "practicalSalinity", "absoluteSalinity",    "density",  "conductivity",
                                 "specificGravity",   "referenceTemperature"};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(lines[2 + i].find(std::string("  \"") + names[i] + "\": "), 0u) << lines[2 + i];
    EXPECT_EQ(lines[6], "  \"practicalSalinity\": 35.00000,");
    EXPECT_EQ(lines[7], "  \"absoluteSalinity\": null,");
    EXPECT_EQ(lines[8], "  \"density\": 1025.97275,");
    EXPECT_EQ(lines[9], "  \"conductivity\": 42.91416,");
    EXPECT_EQ(lines[10], "  \"specificGravity\": 1.02782,");
    EXPECT_EQ(lines[12], "  \"clamped\": [],");
    EXPECT_EQ(lines[13], "  \"conductivityUnit\": \"mS/cm\"");

    Sample hot = withDefaults(Quantity::Temperature, 40);
    hot.latitude = -90;
    json.clear();
    appendJson(json, convertSample(Method::Teos10Exact, hot, false), Style{});
    EXPECT_NE(json.find("\"clamped\": [\"latitude\", \"temperature\"]"), std::string::npos) << json;
}

TEST(Shapes, CsvRowMatchesItsHeader) {
    std::string csv;
    appendCsvHeader(csv, Style{});
    appendCsvRow(csv, convertSample(Method::Ies80, withDefaults(Quantity::Temperature, -5), false), Style{});
    std::vector<std::string> lines = split(csv, '\n');
    ASSERT_EQ(lines.size(), 3u);
    std::vector<std::string> header = split(lines[0], ','), row = split(lines[1], ',');
    ASSERT_EQ(header.size(), 12u);
    ASSERT_EQ(row.size(), 12u);
    EXPECT_EQ(header.front(), "method");
    EXPECT_EQ(header.back(), "clamped");
    EXPECT_EQ(row[0], "ies80");
    EXPECT_EQ(row[4], "-2.00");
    EXPECT_EQ(row[6], "");  // IES-80 has no Absolute Salinity
    EXPECT_EQ(row[11], "temperature");
}

TEST(Shapes, TextIsAnAlignedTableWithUnits) {
    std::string text;
    appendText(text, convertSample(Method::Ies80, defaultSample(true), true), Style{false, true});
    std::vector<std::string> lines = split(text, '\n');
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_NE(lines[0].find("IES-80"), std::string::npos);
    EXPECT_NE(lines[4].find("59.00  °F"), std::string::npos) << lines[4];
    EXPECT_NE(lines[6].find(" -"), std::string::npos) << lines[6];  // absent Absolute Salinity
    // The numbers end in one column.
    std::size_t column = lines[1].find("  dbar");
    EXPECT_EQ(lines[7].find("  kg/m³"), column) << text;
}

// Which inputs count as changed by the ranges, including sources that the
// second pass of convert replaced.
TEST(Clamped, NamesExactlyTheInputsTheRangesChanged) {
    struct Case {
        Method method;
        Sample sample;
        QuantitySet clamped;
    };
    Sample deep = kDefaultSample;
    deep.temperature = 4;
    deep.pressure = 1000;
    deep.density = 1000;  // lighter than pure water there: second pass from Sp 2
    Sample warm = withDefaults(Quantity::Temperature, 35);
    warm.conductivity = 0.002;  // in range, but no salinity gives it at 35 °C
    const Case cases[] = {
        {Method::Teos10Exact, kDefaultSample, {}},
        {Method::Teos10Exact, withDefaults(Quantity::Temperature, 40), QuantitySet{Quantity::Temperature}},
        {Method::Teos10Exact, withDefaults(Quantity::Latitude, -30), {}},
        {Method::Teos10Exact, withDefaults(Quantity::Latitude, -90), QuantitySet{Quantity::Latitude}},
        {Method::Ies80, withDefaults(Quantity::Longitude, 200), {}},  // turned to -160, not clamped
        {Method::Teos10Exact, withDefaults(Quantity::ReferenceTemperature, 50),
         QuantitySet{Quantity::ReferenceTemperature}},
        {Method::Teos10Exact, withDefaults(Quantity::PracticalSalinity, 1.5), QuantitySet{Quantity::PracticalSalinity}},
        {Method::Ies80, withDefaults(Quantity::PracticalSalinity, 1.5), {}},
        {Method::Teos10Polynomial, withDefaults(Quantity::Density, 1025), {}},
        {Method::Teos10Exact, withDefaults(Quantity::Density, 1100), QuantitySet{Quantity::Density}},
        {Method::Teos10Exact, withDefaults(Quantity::Density, 1000),
         QuantitySet{Quantity::Density}},  // Sp below 2: second pass
        {Method::Teos10Exact, deep, QuantitySet{Quantity::Density}},
        {Method::Ies80, withDefaults(Quantity::Conductivity, 0.001), {}},
        {Method::Teos10Exact, withDefaults(Quantity::Conductivity, 0.001), QuantitySet{Quantity::Conductivity}},
        {Method::Teos10Exact, warm, QuantitySet{Quantity::Conductivity}},
        {Method::Teos10Exact, withDefaults(Quantity::SpecificGravity, 1.02), {}},
        {Method::Teos10Exact, withDefaults(Quantity::SpecificGravity, 0.9), QuantitySet{Quantity::SpecificGravity}},
        {Method::Teos10Exact, withDefaults(Quantity::SpecificGravity, 1.002),
         QuantitySet{Quantity::SpecificGravity}},  // Sp below 2: second pass
        {Method::Ies80, withDefaults(Quantity::SpecificGravity, 1.2),
         QuantitySet{Quantity::SpecificGravity}},  // density above the maximum
    };
    for (const Case& c : cases) {
        UserConversion conversion = convertSample(c.method, c.sample, false);
        std::string csv;
        appendCsvRow(csv, conversion, Style{});
        EXPECT_EQ(conversion.clamped, c.clamped) << csv;
    }
}

TEST(Clamped, FahrenheitInputsComeBackAsGivenUnlessClamped) {
    Sample sample = defaultSample(true);
    sample.temperature = 62.9;          // 17.17 °C, which converted back gives 62.899999999999991
    sample.referenceTemperature = 110;  // 43.3 °C, above 40
    UserConversion conversion = convertSample(Method::Teos10Exact, sample, true);
    EXPECT_EQ(conversion.result.temperature, 62.9);
    EXPECT_DOUBLE_EQ(conversion.result.referenceTemperature, 104.0);
    EXPECT_EQ(conversion.clamped, QuantitySet{Quantity::ReferenceTemperature});
    std::string notes;
    appendClampedNotes(notes, conversion, Style{false, true});
    EXPECT_EQ(notes, "thalwen-convert: --reference-temperature 110 is outside its range; used 104.00 °F\n");
}

// 28.4 degF is the lowest temperature, -2 degC, but reaches the engine as
// -2.000000000000001 degC: what the user typed is what was used.
TEST(Clamped, ABoundTypedInFahrenheitIsNotClamped) {
    Sample sample = defaultSample(true);
    sample.temperature = 28.4;
    sample.referenceTemperature = 32;  // 0 degC
    UserConversion conversion = convertSample(Method::Ies80, sample, true);
    EXPECT_TRUE(conversion.clamped.empty());
    EXPECT_EQ(conversion.result.temperature, 28.4);
    EXPECT_EQ(conversion.result.referenceTemperature, 32.0);

    sample.temperature = 28.39;
    conversion = convertSample(Method::Ies80, sample, true);
    EXPECT_EQ(conversion.clamped, QuantitySet{Quantity::Temperature});
    EXPECT_DOUBLE_EQ(conversion.result.temperature, 28.4);
}

// A batch column in degF shown in degC: clamped or not is decided in degF.
TEST(Clamped, GivenInFahrenheitShownInCelsius) {
    Sample sample = kDefaultSample;
    sample.temperature = 28.4;
    const UserUnits fahrenheit{{Quantity::Temperature}}, celsius{};
    UserConversion conversion = convertSample(Method::Ies80, sample, fahrenheit, celsius);
    EXPECT_TRUE(conversion.clamped.empty());
    EXPECT_EQ(conversion.result.temperature, -2.0);
    EXPECT_EQ(conversion.result.referenceTemperature, 20.0);
    sample.temperature = 17;
    conversion = convertSample(Method::Ies80, sample, celsius, fahrenheit);
    EXPECT_DOUBLE_EQ(conversion.result.temperature, 62.6);
    EXPECT_EQ(conversion.result.referenceTemperature, 20.0);  // shown in Celsius as given
}

TEST(Shapes, FullWritesTheShortestTextThatReadsBackInEveryShape) {
    const Style full{.full = true};
    const UserConversion conversion =
        convertSample(Method::Teos10Exact, withDefaults(Quantity::Longitude, 151.3), false);
    std::string text, csv, json;
    appendText(text, conversion, full);
    appendCsvRow(csv, conversion, full);
    appendJson(json, conversion, full);
    EXPECT_NE(text.find(" 151.3  °E\n"), std::string::npos) << text;
    EXPECT_NE(csv.find(",151.3,48.853402,15,35,"), std::string::npos) << csv;
    EXPECT_NE(json.find("\"longitude\": 151.3,"), std::string::npos) << json;
    const std::size_t density = json.find("\"density\": ") + 11;
    double readBack = 0;
    EXPECT_EQ(readDecimal(json.substr(density, json.find(',', density) - density), readBack), nullptr);
    EXPECT_EQ(readBack, conversion.result.density) << json;
}

TEST(Units, ConductivityInEveryUnitIsTheSameWaterAndComesBackAsTyped) {
    struct Case {
        const char* unit;
        double given;
        const char* shown;
        const char* header;
    };
    const Case cases[] = {
        {"mS/cm", 42.91416, "42.91416  mS/cm", ",conductivity,"},
        {"S/m", 4.291416, "4.291416  S/m", ",conductivity (S/m),"},
        {"uS/cm", 42914.16, "42914.16  µS/cm", ",conductivity (uS/cm),"},
        {"µS/cm", 42914.16, "42914.16  µS/cm", ",conductivity (uS/cm),"},
    };
    const double salinity =
        convertSample(Method::Ies80, withDefaults(Quantity::Conductivity, 42.91416), false).result.practicalSalinity;
    for (const Case& c : cases) {
        const ConductivityUnit* unit = conductivityUnitNamed(c.unit);
        ASSERT_NE(unit, nullptr) << c.unit;
        const Style style{.conductivityUnit = unit};
        UserConversion conversion =
            convertSample(Method::Ies80, withDefaults(Quantity::Conductivity, c.given), false, *unit);
        EXPECT_NEAR(conversion.result.practicalSalinity, salinity, 1e-9) << c.unit;
        EXPECT_EQ(conversion.result.conductivity, c.given) << c.unit;
        EXPECT_TRUE(conversion.clamped.empty()) << c.unit;
        std::string text, csv;
        appendText(text, conversion, style);
        EXPECT_NE(text.find(c.shown), std::string::npos) << text;
        appendCsvHeader(csv, style);
        EXPECT_NE(csv.find(c.header), std::string::npos) << csv;
    }
    // Above the highest conductivity, and then too salty: the water at Sp 42.
    const ConductivityUnit& siemensPerMetre = *conductivityUnitNamed("S/m");
    UserConversion high =
        convertSample(Method::Teos10Exact, withDefaults(Quantity::Conductivity, 10), false, siemensPerMetre);
    EXPECT_EQ(high.clamped, QuantitySet{Quantity::Conductivity});
    std::string notes, json;
    appendClampedNotes(notes, high, Style{.conductivityUnit = &siemensPerMetre});
    EXPECT_EQ(notes, "thalwen-convert: --conductivity 10 is outside its range; used 5.047518 S/m\n");
    appendJson(json, high, Style{.conductivityUnit = &siemensPerMetre});
    EXPECT_NE(json.find("\"conductivity\": 5.047518,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"conductivityUnit\": \"S/m\""), std::string::npos) << json;
}

TEST(Clamped, AGivenValueEqualToTheAbsentMarkerStaysGiven) {
    UserConversion conversion =
        convertSample(Method::Teos10Exact, withDefaults(Quantity::Density, asGivenValue(kNoValue)), false);
    EXPECT_TRUE(conversion.clamped.contains(Quantity::Density));
    EXPECT_NE(conversion.result.practicalSalinity, 35.0);
}

}  // namespace

namespace {

// The results asked for, in the order asked: derived quantities computed
// only then, in the user's temperature unit, none where the method has none.
TEST(Outputs, OnlyThoseAskedForInTheirOrder) {
    Arguments arguments;
    const char* argv[] = {"thalwen-convert", "--outputs", "sigma0,method,conservativeTemperature", "--fahrenheit"};
    ASSERT_EQ(parseArguments(4, argv, arguments).message(), "");
    const UserUnits units = userUnitsOf(arguments);
    const Style& style = arguments.style;
    std::string csv;
    appendCsvHeader(csv, style);
    appendCsvRow(csv, convertSample(Method::Ies80, defaultSample(true), units, units, derivedIn(style.outputs)), style);
    EXPECT_EQ(csv, "sigma0,method,conservativeTemperature (degF),clamped\n25.97275,ies80,,\n");
    std::string json;
    appendJson(json, convertSample(Method::Teos10Exact, defaultSample(true), units, units, derivedIn(style.outputs)),
               style);
    EXPECT_EQ(
        json.find("{\n  \"sigma0\": 25.97656,\n  \"method\": \"exact\",\n  \"conservativeTemperature\": 58.9809,"), 0u)
        << json;
    struct Case {
        const char* outputs;
        const char* error;
    };
    for (const Case& c : {Case{"density,sigma1", "--outputs: 'sigma1' is no result: one of method, pressure, "},
                          Case{"sigma0,density,sigma0", "--outputs: 'sigma0' is named twice"}}) {
        Arguments wrong;
        const char* words[] = {"thalwen-convert", "--outputs", c.outputs};
        EXPECT_EQ(parseArguments(3, words, wrong).message().find(c.error), 0u) << c.outputs;
    }
}

// A result never has the name of a column of the file: its unit, or a word,
// tells them apart, and the header still reads back.
TEST(Outputs, ResultsNamedLikeInputColumnsGetTheirUnit) {
    std::string header;
    appendResultNames(header, Style{}, Dialect{}, {"Method", "density", "T", "clamped"});
    EXPECT_EQ(header,
              "method (used),pressure,longitude,latitude,temperature,practicalSalinity,absoluteSalinity,"
              "density (kg m-3),conductivity,specificGravity,referenceTemperature,clamped (inputs)");
}

// What a netCDF file gains unless asked: Absolute Salinity and the quantities
// derived on request that the method has, and the Practical Salinity of a
// file that gives another salinity-related input.
TEST(Outputs, ANetcdfFileGainsWhatItLacks) {
    const struct {
        Method method;
        Quantity source;
        std::vector<std::string> names;
    } rows[] = {
        {Method::Teos10Exact,
         Quantity::PracticalSalinity,
         {"absoluteSalinity", "conservativeTemperature", "potentialTemperature", "sigma0", "soundSpeed",
          "freezingTemperature"}},
        {Method::Ies80,
         Quantity::Conductivity,
         {"practicalSalinity", "potentialTemperature", "sigma0", "soundSpeed", "freezingTemperature"}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> names;
        for (const Output& output : netcdfDefaultOutputs(row.method, row.source)) names.push_back(outputName(output));
        EXPECT_EQ(names, row.names);
    }
}

}  // namespace
