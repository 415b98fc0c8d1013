#include <gtest/gtest.h>

#include "reference_water.h"

using namespace thalwen;

// CIPM (Tanaka et al., 2001) pure-water densities, rounded to five decimals.
TEST(PureWaterDensity, MatchesPublishedTableFrom0To40) {
    const struct {
        double t, density;
    } rows[] = {{0, 999.84283},  {4, 999.97495},  {10, 999.70270}, {15, 999.10257}, {20, 998.20675},
                {25, 997.04702}, {30, 995.64880}, {35, 994.03260}, {40, 992.21521}};
    for (const auto& row : rows) EXPECT_NEAR(pureWaterDensity(row.t), row.density, 5e-6) << row.t;
}

TEST(PureWaterDensity, PeaksAtTheTemperatureOfMaximumDensity) {
    EXPECT_DOUBLE_EQ(pureWaterDensity(3.983035), 999.97495);
    EXPECT_LT(pureWaterDensity(3.9), pureWaterDensity(3.983035));
    EXPECT_LT(pureWaterDensity(4.1), pureWaterDensity(3.983035));
}

TEST(PureWaterDensity, SpecificGravityOfOneTonnePerCubicMetreAt20C) {
    EXPECT_NEAR(1000.0 / pureWaterDensity(20.0), 1.00180, 5e-6);
}

TEST(TemperatureUnits, FixedPointsOfBothScales) {
    EXPECT_DOUBLE_EQ(celsiusToFahrenheit(0), 32);
    EXPECT_DOUBLE_EQ(celsiusToFahrenheit(100), 212);
    EXPECT_DOUBLE_EQ(celsiusToFahrenheit(-40), -40);
    EXPECT_DOUBLE_EQ(celsiusToFahrenheit(-2), 28.4);
    EXPECT_DOUBLE_EQ(celsiusToFahrenheit(35), 95);
    EXPECT_DOUBLE_EQ(fahrenheitToCelsius(32), 0);
    EXPECT_DOUBLE_EQ(fahrenheitToCelsius(212), 100);
    EXPECT_DOUBLE_EQ(fahrenheitToCelsius(68), 20);
    EXPECT_NEAR(fahrenheitToCelsius(100), 37.7777777777, 1e-9);
}

TEST(TemperatureUnits, RoundTripIsExactEnoughForTheFormsTwoDecimals) {
    for (double c = -2.0; c <= 40.0; c += 0.37) EXPECT_NEAR(fahrenheitToCelsius(celsiusToFahrenheit(c)), c, 1e-12);
}
