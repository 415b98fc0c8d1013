// Unit texts as archives, instruments and spreadsheets write them, against
// the maps into the engine's units or the refusals a user reads.
#include "unit_reading.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <latch>
#include <numbers>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace thalwen {
namespace {

constexpr UnitTarget kPressure{"dbar", "sea pressure"};
constexpr UnitTarget kTemperature{"degC", "temperature"};
constexpr UnitTarget kConductivity{"mS/cm", "conductivity"};
constexpr UnitTarget kDensity{"kg m-3", "density"};
constexpr UnitTarget kLongitude{"degree_east", "longitude"};
constexpr UnitTarget kLatitude{"degree_north", "latitude"};
constexpr UnitTarget kPracticalSalinity{"1", "Practical Salinity", true};
constexpr UnitTarget kSpecificGravity{"1", "specific gravity"};
constexpr UnitTarget kAbsoluteSalinity{"g/kg", "Absolute Salinity"};

struct Row {
    std::string_view text;
    UnitTarget target;
    std::string_view refusal;  // empty: read, into scale and offset
    double scale = 1;
    double offset = 0;
};

// clang-format off
const Row kRows[] = {
    {"db", kPressure, "", 1},
    {" DB ", kPressure, "", 1},
    {"bar", kPressure, "", 10},
    {"m", kPressure, "'m' is not a unit of sea pressure"},
    {"", kPressure, "'' (no unit) is not a unit of sea pressure"},
    {"bananas", kPressure, "'bananas' is not a unit UDUNITS-2 knows"},
    {"lg(re 1 Pa)", kPressure, "'lg(re 1 Pa)' is not a linear unit of sea pressure"},
    {"°C", kTemperature, "", 1},
    {"deg C", kTemperature, "", 1},
    {"Deg  C", kTemperature, "", 1},
    {"C", kTemperature, "", 1},
    {"ITS-90, deg C", kTemperature, "", 1},
    {"K", kTemperature, "", 1, -273.15},
    {"degF", kTemperature, "", 5.0 / 9, -160.0 / 9},
    {"degrees Celsius", kTemperature, "", 1},
    {"degrees kelvin", kTemperature, "'degrees kelvin' is not a unit of temperature"},
    {"IPTS-68, deg C", kTemperature,
     "'IPTS-68, deg C' is on the 1968 temperature scale: give it on the 1990 scale (ITS-90, 1.00024 times smaller)"},
    {"deg", kTemperature, "'deg' is not a unit of temperature"},
    {"S/m", kConductivity, "", 10},
    {"mhos/m", kConductivity, "", 10},
    {"mmho/cm", kConductivity, "", 1},
    {"µS/cm", kConductivity, "", 0.001},
    {"kg", kConductivity, "'kg' is not a unit of conductivity"},
    {"g/cm3", kDensity, "", 1000},
    {"degrees_east", kLongitude, "", 1},
    {"°E", kLongitude, "", 1},
    {"deg", kLongitude, "", 1},
    {"degrees", kLongitude, "", 1},
    {"degrees_west", kLongitude, "", -1},
    {"rad", kLongitude, "", 180 / std::numbers::pi},
    {"", kLongitude, "'' (no unit) is not a unit of longitude"},
    {"degrees_north", kLongitude, "'degrees_north' is not a unit of longitude"},
    {"degrees_south", kLatitude, "", -1},
    {"°S", kLatitude, "", -1},
    {"degree_E", kLatitude, "'degree_E' is not a unit of latitude"},
    {"psu", kPracticalSalinity, "", 1},
    {"PSU", kPracticalSalinity, "", 1},
    {"1", kPracticalSalinity, "", 1},
    {"", kPracticalSalinity, "", 1},
    {"1e-3", kPracticalSalinity, "", 1},
    {"g/kg", kPracticalSalinity, "'g/kg' is not a unit of Practical Salinity"},
    {"ppt", kPracticalSalinity,
     "'ppt' is parts per thousand, in which both Practical Salinity and Absolute Salinity (g/kg) are written: write "
     "psu, 1 or PSS-78 for Practical Salinity"},
    {"psu", kSpecificGravity, "'psu' is not a unit UDUNITS-2 knows"},
    {"1e-3", kSpecificGravity, "'1e-3' is not a unit of specific gravity"},
    {"g/kg", kSpecificGravity, "'g/kg' is not a unit of specific gravity"},
    {"g/kg", kAbsoluteSalinity, "", 1},
    {"1", kAbsoluteSalinity, "'1' is not a unit of Absolute Salinity"},
};
// clang-format on

std::string described(const Row& row) { return "'" + std::string(row.text) + "' for " + std::string(row.target.name); }

void expectRead(const Row& row, const UnitReading& reading) {
    SCOPED_TRACE(described(row));
    if (!row.refusal.empty()) {
        EXPECT_EQ(reading.status, UnitStatus::Refused);
        EXPECT_EQ(reading.message, row.refusal);
        return;
    }
    ASSERT_EQ(reading.status, UnitStatus::Read) << reading.message;
    // As UDUNITS-2 computes them: degF's 5/9 and -160/9 a few roundings away.
    EXPECT_NEAR(reading.map.scale, row.scale, 1e-12 * std::fabs(row.scale));
    EXPECT_NEAR(reading.map.offset, row.offset, 1e-12 * std::fabs(row.offset));
}

// First in the file, so that a run of the whole program loads the database here.
TEST(UnitReading, SaysNothingOnStandardError) {
    testing::internal::CaptureStderr();
    readUnit("bananas", kPressure);
    readUnit("kg", kConductivity);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(UnitReading, TextsAsArchivesWriteThem) {
    for (const Row& row : kRows) expectRead(row, readUnit(row.text, row.target));
}

// UDUNITS-2's parser keeps its state in globals: unguarded, this crashes or
// misreads within a few rounds.
TEST(UnitReading, FromManyThreadsAtOnce) {
    std::vector<std::vector<UnitReading>> readings(4);
    std::latch start(std::ssize(readings));
    std::vector<std::thread> threads;
    for (std::vector<UnitReading>& thread : readings)
        threads.emplace_back([&thread, &start] {
            start.arrive_and_wait();
            for (int round = 0; round < 250; ++round)
                for (const Row& row : kRows) thread.push_back(readUnit(row.text, row.target));
        });
    for (std::thread& thread : threads) thread.join();
    for (const std::vector<UnitReading>& thread : readings)
        for (size_t i = 0; i < thread.size(); ++i) expectRead(kRows[i % std::size(kRows)], thread[i]);
}

TEST(UnitReading, AnEngineUnitUdunitsLacksIsTheCallersMistake) {
    EXPECT_THROW(readUnit("dbar", {"dbr", "sea pressure"}), std::invalid_argument);
}

// Run by ctest with UDUNITS2_XML_PATH naming no file (units.missing_database).
TEST(UnitDatabase, MissingIsSaid) {
    const char* path = std::getenv("UDUNITS2_XML_PATH");
    if (!path || !std::string(path).ends_with("/no-such-database.xml")) GTEST_SKIP() << "no missing database named";
    const UnitReading reading = readUnit("dbar", kPressure);
    EXPECT_EQ(reading.status, UnitStatus::NoDatabase);
    EXPECT_EQ(reading.message,
              "UDUNITS-2 cannot read the unit database that UDUNITS2_XML_PATH names: '" + std::string(path) + "'");
}

// Run by ctest in a locale with a decimal comma (units.comma_locale): the
// database loaded in it must still read 1.8 and 459.67.
TEST(UnitDatabase, ReadInALocaleWithADecimalComma) {
    if (!std::getenv("THALWEN_TEST_COMMA_LOCALE")) GTEST_SKIP() << "no comma locale asked for";
    ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr);
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    for (const Row& row : kRows) expectRead(row, readUnit(row.text, row.target));
}

}  // namespace
}  // namespace thalwen
