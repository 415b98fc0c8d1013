// The shapes of a result and the report of clamped inputs.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fields.h"
#include "output.h"
#include "report.h"

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.push_back("");
    return parts;
}

Sample withDefaults(int index, double value) {
    Sample sample = kDefaultSample;
    field(sample, index) = value;
    return sample;
}

TEST(Shapes, JsonHoldsMethodTheTenQuantitiesInOrderAndClamped) {
    Conversion conversion = convertSample(Ies80, kDefaultSample, false);
    std::string json;
    appendJson(json, conversion, Style{});
    std::vector<std::string> lines = split(json, '\n');
    ASSERT_EQ(lines.size(), 15u) << json;
    EXPECT_EQ(lines[0], "{");
    EXPECT_EQ(lines[1], "  \"method\": \"ies80\",");
    for (int i = 0; i < kFieldCount; ++i)
        EXPECT_EQ(lines[2 + i].find(std::string("  \"") + kFields[i].name + "\": "), 0u) << lines[2 + i];
    EXPECT_EQ(lines[6], "  \"practicalSalinity\": 35.00000,");
    EXPECT_EQ(lines[7], "  \"absoluteSalinity\": null,");
    EXPECT_EQ(lines[8], "  \"density\": 1025.97275,");
    EXPECT_EQ(lines[9], "  \"conductivity\": 42.91416,");
    EXPECT_EQ(lines[10], "  \"specificGravity\": 1.02782,");
    EXPECT_EQ(lines[12], "  \"clamped\": []");

    Sample hot = withDefaults(kTemperature, 40);
    hot.latitude = -90;
    json.clear();
    appendJson(json, convertSample(Teos10Exact, hot, false), Style{});
    EXPECT_NE(json.find("\"clamped\": [\"latitude\", \"temperature\"]"), std::string::npos) << json;
}

TEST(Shapes, CsvRowMatchesItsHeader) {
    std::string csv;
    appendCsvHeader(csv);
    appendCsvRow(csv, convertSample(Ies80, withDefaults(kTemperature, -5), false), Style{});
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
    appendText(text, convertSample(Ies80, defaultSample(true), true), Style{false, true});
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
        unsigned clamped;
    };
    Sample deep = kDefaultSample;
    deep.temperature = 4;
    deep.pressure = 1000;
    deep.density = 1000;  // lighter than pure water there: second pass from Sp 2
    Sample warm = withDefaults(kTemperature, 35);
    warm.conductivity = 0.002;  // in range, but no salinity gives it at 35 °C
    const Case cases[] = {
        {Teos10Exact, kDefaultSample, 0},
        {Teos10Exact, withDefaults(kTemperature, 40), 1u << kTemperature},
        {Teos10Exact, withDefaults(kLatitude, -30), 0},
        {Teos10Exact, withDefaults(kLatitude, -90), 1u << kLatitude},
        {Ies80, withDefaults(kLongitude, 200), 1u << kLongitude},
        {Teos10Exact, withDefaults(kReferenceTemperature, 50), 1u << kReferenceTemperature},
        {Teos10Exact, withDefaults(kPracticalSalinity, 1.5), 1u << kPracticalSalinity},
        {Ies80, withDefaults(kPracticalSalinity, 1.5), 0},
        {Teos10Polynomial, withDefaults(kDensity, 1025), 0},
        {Teos10Exact, withDefaults(kDensity, 1100), 1u << kDensity},
        {Teos10Exact, withDefaults(kDensity, 1000), 1u << kDensity},  // Sp below 2: second pass
        {Teos10Exact, deep, 1u << kDensity},
        {Ies80, withDefaults(kConductivity, 0.001), 0},
        {Teos10Exact, withDefaults(kConductivity, 0.001), 1u << kConductivity},
        {Teos10Exact, warm, 1u << kConductivity},
        {Teos10Exact, withDefaults(kSpecificGravity, 1.02), 0},
        {Teos10Exact, withDefaults(kSpecificGravity, 0.9), 1u << kSpecificGravity},
        {Teos10Exact, withDefaults(kSpecificGravity, 1.002), 1u << kSpecificGravity},  // Sp below 2: second pass
        {Ies80, withDefaults(kSpecificGravity, 1.2), 1u << kSpecificGravity},          // density above the maximum
    };
    for (const Case& c : cases) {
        Conversion conversion = convertSample(c.method, c.sample, false);
        std::string csv;
        appendCsvRow(csv, conversion, Style{});
        EXPECT_EQ(conversion.clamped, c.clamped) << csv;
    }
}

TEST(Clamped, FahrenheitInputsComeBackAsGivenUnlessClamped) {
    Sample sample = defaultSample(true);
    sample.temperature = 62.9;          // 17.17 °C, which converted back gives 62.899999999999991
    sample.referenceTemperature = 110;  // 43.3 °C, above 40
    Conversion conversion = convertSample(Teos10Exact, sample, true);
    EXPECT_EQ(conversion.result.temperature, 62.9);
    EXPECT_DOUBLE_EQ(conversion.result.referenceTemperature, 104.0);
    EXPECT_EQ(conversion.clamped, 1u << kReferenceTemperature);
    std::string notes;
    appendClampedNotes(notes, conversion, Style{false, true});
    EXPECT_EQ(notes, "thalwen-convert: --reference-temperature 110 is outside its range; used 104.00 °F\n");
}

TEST(Clamped, AGivenValueEqualToTheAbsentMarkerStaysGiven) {
    Conversion conversion = convertSample(Teos10Exact, withDefaults(kDensity, asGivenValue(kNoValue)), false);
    EXPECT_TRUE(conversion.clamped & (1u << kDensity));
    EXPECT_NE(conversion.result.practicalSalinity, 35.0);
}

}  // namespace
