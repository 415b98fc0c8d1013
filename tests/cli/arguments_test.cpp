// The options of thalwen-convert.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options.h"
#include "usage.h"

using namespace thalwen;

namespace {

std::string parse(std::vector<const char*> words, Arguments& arguments) {
    words.insert(words.begin(), "thalwen-convert");
    return parseArguments(static_cast<int>(words.size()), words.data(), arguments).message();
}

TEST(Arguments, NoOptionsGiveTheFormsStartUpSample) {
    Arguments arguments;
    ASSERT_EQ(parse({}, arguments), "");
    EXPECT_EQ(arguments.method, Method::Teos10Exact);
    EXPECT_EQ(arguments.format, Format::Text);
    Sample sample = requestedSample(arguments);
    EXPECT_EQ(sample.pressure, 0.0);
    EXPECT_EQ(sample.longitude, 2.348785);
    EXPECT_EQ(sample.latitude, 48.853402);
    EXPECT_EQ(sample.temperature, 15.0);
    EXPECT_EQ(sample.referenceTemperature, 20.0);
    for (double q : {sample.practicalSalinity, sample.absoluteSalinity, sample.density, sample.conductivity,
                     sample.specificGravity})
        EXPECT_FALSE(isPresent(q));
}

TEST(Arguments, ValuesBySpaceOrEqualsNegativeAndDecimalComma) {
    Arguments arguments;
    ASSERT_EQ(parse({"--method", "ies80", "--latitude", "-30", "--pressure=12.5", "--density", "1025,5",
                     "--format=json", "--full"},
                    arguments),
              "");
    EXPECT_EQ(arguments.method, Method::Ies80);
    EXPECT_EQ(arguments.format, Format::Json);
    EXPECT_TRUE(arguments.style.full);
    Sample sample = requestedSample(arguments);
    EXPECT_EQ(sample.latitude, -30.0);
    EXPECT_EQ(sample.pressure, 12.5);
    EXPECT_EQ(sample.density, 1025.5);
    EXPECT_FALSE(isPresent(sample.practicalSalinity));
}

TEST(Arguments, FahrenheitDefaultsAreTheSameWaterInFahrenheit) {
    Arguments arguments;
    ASSERT_EQ(parse({"--fahrenheit"}, arguments), "");
    Sample sample = requestedSample(arguments);
    EXPECT_DOUBLE_EQ(sample.temperature, 59.0);
    EXPECT_DOUBLE_EQ(sample.referenceTemperature, 68.0);
}

TEST(Arguments, ErrorsNameTheOptionAndTheText) {
    struct Case {
        std::vector<const char*> words;
        const char* message;
    };
    const Case cases[] = {
        {{"--pressure", "12x"}, "--pressure: '12x' is not a decimal number"},
        {{"--temperature", "nan"}, "--temperature: 'nan' is not a decimal number"},
        {{"--temperature", "inf"}, "--temperature: 'inf' is not a decimal number"},
        {{"--density", "1e999"}, "--density: '1e999' is too large"},
        {{"--longitude", "1,000.5"}, "--longitude: '1,000.5' is not a decimal number"},
        {{"--pressure", " "}, "--pressure: empty value"},
        {{"--pressure="}, "--pressure: empty value"},
        {{"--pressure"}, "--pressure: missing value"},
        {{"--method", "fast"}, "--method: 'fast' is no method: polynomial, exact or ies80"},
        {{"--format", "xml"}, "--format: 'xml' is no format: text, csv or json"},
        {{"--salinity", "35", "--conductivity", "40"}, "--conductivity: '40' given with --salinity; give at most one"},
        {{"--pressure", "1", "--pressure=2"}, "--pressure: given more than once"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"cast.csv", "35"}, "unexpected argument '35'"},
        {{"cast.csv", "--batch", "b.csv"}, "--batch: 'b.csv' follows the file 'cast.csv'"},
        {{"--source", "density"}, "--source: only with --batch"},
        {{"-", "--source", "salinity"}, "--source: 'salinity' is no salinity-related quantity: practicalSalinity, "},
        {{"-", "--missing", "-999,,99999"}, "--missing: empty value"},
        {{"-", "--missing", "-999;99999"}, "--missing: '-999;99999' is not a decimal number"},
        {{"--full=yes"}, "--full: takes no value"},
        {{"-q"}, "unexpected argument '-q'"},
        {{"--quiet", "--quiet"}, "--quiet: given more than once"},
        {{"--batch", "in.csv", "--format", "json"}, "--format: a batch is written as CSV only"},
        {{"--batch", ""}, "--batch: missing file name"},
        {{"--batch", "-", "--column", "PSAL"}, "--column: 'PSAL' is not QUANTITY=HEADER"},
        {{"--batch", "-", "--column", "salinity=PSAL"}, "--column: 'salinity' is no quantity: one of method, "},
        {{"--batch", "-", "--column", "absoluteSalinity=SA"}, "--column: 'absoluteSalinity' is a result, not an input"},
        {{"--batch", "-", "--column", "density="}, "--column: 'density=' has no column header after '='"},
        {{"--batch", "-", "--column=method=m", "--column", "method=M"}, "--column: 'method' is mapped twice"},
        {{"--column", "density=d"}, "--column: only with --batch"},
        {{"--jobs", "0"}, "--jobs: '0' is not a whole number from 1 to 1024"},
        {{"--jobs", "2x"}, "--jobs: '2x' is not a whole number"},
        {{"--jobs", "1025"}, "--jobs: '1025' is not a whole number from 1 to 1024"},
        {{"--conductivity-unit", "mS/m"}, "--conductivity-unit: 'mS/m' is no conductivity unit: mS/cm, S/m or uS/cm"},
    };
    for (const Case& c : cases) {
        Arguments arguments;
        std::string error = parse(c.words, arguments);
        EXPECT_NE(error.find(c.message), std::string::npos) << c.words[0] << " gave: " << error;
    }
}

TEST(Arguments, ColumnMappingsAreRepeatable) {
    Arguments arguments;
    ASSERT_EQ(parse({"--batch", "-", "--column", "pressure=p_dbar", "--column=method=how"}, arguments), "");
    ASSERT_EQ(arguments.columnMappings.size(), 2u);
    EXPECT_EQ(arguments.columnMappings[0].quantity, Quantity::Pressure);
    EXPECT_EQ(arguments.columnMappings[0].header, "p_dbar");
    EXPECT_EQ(arguments.columnMappings[1].quantity, std::nullopt);
    EXPECT_EQ(arguments.columnMappings[1].header, "how");
}

TEST(Arguments, HelpAndVersionStopTheParsing) {
    Arguments arguments;
    EXPECT_EQ(parse({"--help", "--bogus"}, arguments), "");
    EXPECT_TRUE(arguments.help);
    EXPECT_EQ(versionText().find("thalwen-convert " EXPECTED_VERSION " (GSW "), 0u) << versionText();
    EXPECT_NE(versionText().find("GSW "), std::string::npos);
}

}  // namespace
