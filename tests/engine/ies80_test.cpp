#include <gtest/gtest.h>

#include "ies80.h"
#include "sample.h"

using namespace thalwen;

// Check values: UNESCO Technical Papers in Marine Science 44 (1983).

TEST(Pss78, StandardSeawaterIs35AtAnyTemperature) {
    for (double t : {-2.0, 0.0, 15.0, 30.0, 35.0}) EXPECT_NEAR(pss78Salinity(t, 1.0), 35.0, 1e-12) << t;
    // rt(15) is 1 only to the precision of its published coefficients.
    EXPECT_NEAR(practicalSalinityFromConductivity(4.2914, 15, 0), 35.0, 5e-7);
}

TEST(Pss78, PublishedCheckValueAt40C10000dbar) {
    EXPECT_NEAR(practicalSalinityFromConductivity(1.888091 * 4.2914, 40, 10000), 40.0000, 5e-5);
}

TEST(Pss78, NoLowSalinityCorrection) {
    // At Rt = 0 the polynomial leaves a0 + b0 f, which is 0.008 at 15 C; it dips below before rising.
    EXPECT_NEAR(pss78Salinity(15, 0), 0.008, 1e-15);
    EXPECT_LT(pss78Salinity(15, 1.1e-5), 0.0078);
    EXPECT_GT(pss78Salinity(15, 1.1e-5), 0.0076);
}

TEST(Pss78, ConductivityThresholdGivesExactlyZeroBelowIt) {
    EXPECT_EQ(practicalSalinityFromConductivity(0.00049999, 15, 0), 0.0);
    EXPECT_NEAR(practicalSalinityFromConductivity(0.0005, 15, 0), 0.00915, 5e-6);
}

TEST(ConductivityFromSalinity, BisectionStopsAtItsTolerance) {
    int n = 0;
    const double c = conductivityFromPracticalSalinity(35, 15, 0, &n);
    EXPECT_EQ(n, 19);
    EXPECT_NEAR(c, 4.291416378706464, 1e-13);  // last midpoint Rt = 1.0000038146972656, not 1
    EXPECT_NEAR(c * 10, 42.91416, 5e-6);
}

TEST(ConductivityFromSalinity, ThresholdAndFailure) {
    int n = -1;
    EXPECT_EQ(conductivityFromPracticalSalinity(0.0199, 15, 0, &n), 0.0);
    EXPECT_EQ(n, 0);
    EXPECT_NEAR(conductivityFromPracticalSalinity(0.02, 15, 0, &n), 0.0027100672, 1e-10);
    EXPECT_EQ(n, 25);
    // Above pss78Salinity(T, 10) there is nothing to find in the search interval.
    EXPECT_EQ(conductivityFromPracticalSalinity(860, 15, 0, &n), GSW_INVALID_VALUE);
    EXPECT_EQ(n, 1000);
}

TEST(ConductivityFromSalinity, RoundTripWithinTheBisectionTolerance) {
    for (double t = -2; t <= 35; t += 3.7)
        for (double p = 0; p <= 10000; p += 2500)
            for (double sp = 0.5; sp <= 42; sp += 4.1) {
                const double c = conductivityFromPracticalSalinity(sp, t, p);
                EXPECT_NEAR(practicalSalinityFromConductivity(c, t, p), sp, 2e-5 * sp) << t << " " << p << " " << sp;
            }
}

TEST(Eos80, PublishedDensityCheckValues) {
    EXPECT_NEAR(densityIes80AtZeroPressure(0, 5), 999.96675, 5e-6);
    EXPECT_NEAR(densityIes80AtZeroPressure(35, 5), 1027.67547, 5e-6);
    EXPECT_NEAR(densityIes80AtZeroPressure(0, 25), 997.04796, 5e-6);
    EXPECT_NEAR(densityIes80AtZeroPressure(35, 25), 1023.34306, 5e-6);
    EXPECT_NEAR(densityIes80(0, 5, 10000), 1044.12802, 5e-6);
    EXPECT_NEAR(densityIes80(0, 25, 10000), 1037.90204, 5e-6);
    EXPECT_NEAR(densityIes80(35, 5, 10000), 1069.48914, 5e-6);
    EXPECT_NEAR(densityIes80(35, 25, 10000), 1062.53817, 5e-6);
    EXPECT_EQ(densityIes80(35, 5, 0), densityIes80AtZeroPressure(35, 5));
}

TEST(Eos80, DensestAdmittedWater) { EXPECT_NEAR(densityIes80(42, -2, 10000), 1076.70763, 5e-6); }

TEST(SalinityFromDensity, ResultIsTheLastMidpoint) {
    int n = 0;
    EXPECT_EQ(salinityFromDensityIes80(1027.67547, 5, 0, &n), 35.009765625);
    EXPECT_EQ(n, 11);
    EXPECT_EQ(salinityFromDensityIes80(999.96, 5, 0, &n), 0.0030517578125);
    EXPECT_EQ(n, 15);
}

TEST(SalinityFromDensity, FailsOutsideTheSearchInterval) {
    int n = 0;
    for (auto [rho, t, p] : {std::tuple{990.0, 5.0, 0.0}, {1000.0, 4.0, 1000.0}, {1100.0, 5.0, 0.0}}) {
        EXPECT_EQ(salinityFromDensityIes80(rho, t, p, &n), GSW_INVALID_VALUE) << rho;
        EXPECT_EQ(n, 1000);
    }
}

TEST(SalinityFromDensity, RoundTripWithinTheRelativeDensityTolerance) {
    for (double t = -2; t <= 35; t += 3.7)
        for (double p = 0; p <= 10000; p += 2500)
            for (double sp = 0.5; sp <= 42; sp += 4.1) {
                const double rho = densityIes80(sp, t, p);
                const double back = salinityFromDensityIes80(rho, t, p);
                EXPECT_NEAR(densityIes80(back, t, p), rho, 1e-5 * rho);
                EXPECT_NEAR(back, sp, 0.02) << t << " " << p << " " << sp;
            }
}

TEST(Unesco1983, PublishedCheckValues) {
    // The check value printed in each subprogram of the report; tolerance half a unit of its last digit.
    struct Row {
        const char* subprogram;
        double value, expected, tolerance;
    };
    const Row rows[] = {
        {"ATG, S 40, T 40, P 10000", adiabaticLapseRateIes80(40, 40, 10000), 3.255976e-4, 5e-11},
        {"THETA, S 40, T0 40, P0 10000, PR 0", potentialTemperatureIes80(40, 40, 10000, 0), 36.89073, 5e-6},
        {"SVEL, S 40, T 40, P 10000", soundSpeedIes80(40, 40, 10000), 1731.995, 5e-4},
        {"TF, S 40, P 500", freezingTemperatureIes80(40, 500), -2.588567, 5e-7},
    };
    for (const Row& row : rows) EXPECT_NEAR(row.value, row.expected, row.tolerance) << row.subprogram;
}
