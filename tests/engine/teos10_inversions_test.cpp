#include <gtest/gtest.h>

#include "gsw.h"
#include "sample.h"
#include "teos10_inversions.h"

using namespace thalwen;

// References: the installed GSW library's own forward densities.

TEST(ExactInversion, RecoversSalinityFromGibbsDensityOverTheWholeRange) {
    for (double sa : {0.001, 0.5, 5.0, 20.0, 35.16504, 42.0, 60.0, 90.0, 119.0})
        for (double t : {-2.0, 0.0, 4.0, 15.0, 25.0, 35.0})
            for (double p : {0.0, 1000.0, 5000.0, 10000.0}) {
                const double rho = gsw_rho_t_exact(sa, t, p);
                EXPECT_NEAR(absoluteSalinityFromDensityExact(rho, t, p), sa, 1e-12) << sa << " " << t << " " << p;
            }
}

TEST(ExactInversion, StandardSeawaterAt15C) {
    const double rho = gsw_rho_t_exact(35.16504, 15, 0);
    EXPECT_NEAR(rho, 1025.97603, 5e-6);
    EXPECT_NEAR(absoluteSalinityFromDensityExact(rho, 15, 0), 35.16504, 1e-12);
}

TEST(ExactInversion, WaterLighterThanPureWaterIsReportedAsFailure) {
    EXPECT_EQ(absoluteSalinityFromDensityExact(1000, 4, 1000), GSW_INVALID_VALUE);
    EXPECT_EQ(absoluteSalinityFromDensityExact(990, 15, 0), GSW_INVALID_VALUE);
}

TEST(PolynomialInversion, RecoversSalinityFromPolynomialDensity) {
    for (double sa : {0.5, 5.0, 20.0, 35.16504, 42.0})
        for (double t : {-2.0, 4.0, 15.0, 35.0})
            for (double p : {0.0, 2000.0, 6000.0}) {
                const double rho = gsw_rho(sa, gsw_ct_from_t(sa, t, p), p);
                const double exact = absoluteSalinityFromDensityExact(rho, t, p);
                const double polynomial = absoluteSalinityFromDensityPolynomial(rho, t, p);
                EXPECT_NEAR(polynomial, sa, 1e-9) << sa << " " << t << " " << p;
                // The two density expressions differ, so the exact start is only close.
                EXPECT_NEAR(exact, sa, 0.05);
            }
}
