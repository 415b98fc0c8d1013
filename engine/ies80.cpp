#include "ies80.h"

#include <cmath>

#include "sample.h"

namespace thalwen {

// Coefficients of UNESCO Technical Papers in Marine Science 44 (1983).
namespace {

// PSS-78
constexpr double a0 = 0.0080, a1 = -0.1692, a2 = 25.3851, a3 = 14.0941, a4 = -7.0261, a5 = 2.7081;
constexpr double b0 = 0.0005, b1 = -0.0056, b2 = -0.0066, b3 = -0.0375, b4 = 0.0636, b5 = -0.0144;
constexpr double k = 0.0162;
constexpr double c0 = 0.6766097, c1 = 2.00564e-2, c2 = 1.104259e-4, c3 = -6.9698e-7, c4 = 1.0031e-9;
constexpr double d1 = 3.426e-2, d2 = 4.464e-4, d3 = 4.215e-1, d4 = -3.107e-3;
constexpr double e1 = 2.070e-5, e2 = -6.370e-10, e3 = 3.989e-15;

// Conductivity of standard seawater (Sp 35, 15 deg C, 0 dbar) [S/m]
constexpr double kStandardConductivity = 4.2914;

// EOS-80, one atmosphere
constexpr double ra0 = 999.842594, ra1 = 6.793952e-2, ra2 = -9.095290e-3, ra3 = 1.001685e-4, ra4 = -1.120083e-6,
                 ra5 = 6.536332e-9;
constexpr double rb0 = 8.24493e-1, rb1 = -4.0899e-3, rb2 = 7.6438e-5, rb3 = -8.2467e-7, rb4 = 5.3875e-9;
constexpr double rc0 = -5.72466e-3, rc1 = 1.0227e-4, rc2 = -1.6546e-6;
constexpr double rd0 = 4.8314e-4;

// EOS-80, secant bulk modulus
constexpr double ke0 = 19652.21, ke1 = 148.4206, ke2 = -2.327105, ke3 = 1.360477e-2, ke4 = -5.155288e-5;
constexpr double kf0 = 54.6746, kf1 = -0.603459, kf2 = 1.09987e-2, kf3 = -6.1670e-5;
constexpr double kg0 = 7.944e-2, kg1 = 1.6483e-2, kg2 = -5.3009e-4;
constexpr double kh0 = 3.239908, kh1 = 1.43713e-3, kh2 = 1.16092e-4, kh3 = -5.77905e-7;
constexpr double ki0 = 2.2838e-3, ki1 = -1.0981e-5, ki2 = -1.6078e-6;
constexpr double kj0 = 1.91075e-4;
constexpr double kk0 = 8.50935e-5, kk1 = -6.12293e-6, kk2 = 5.2787e-8;
constexpr double km0 = -9.9348e-7, km1 = 2.0816e-8, km2 = 9.1697e-10;

// Adiabatic lapse rate (Bryden 1973)
constexpr double la0 = 3.5803e-5, la1 = 8.5258e-6, la2 = -6.836e-8, la3 = 6.6228e-10;
constexpr double lb0 = 1.8932e-6, lb1 = -4.2393e-8;
constexpr double lc0 = 1.8741e-8, lc1 = -6.7795e-10, lc2 = 8.733e-12, lc3 = -5.4481e-14;
constexpr double ld0 = -1.1351e-10, ld1 = 2.7759e-12;
constexpr double le0 = -4.6206e-13, le1 = 1.8676e-14, le2 = -2.1687e-16;

// Sound speed (Chen and Millero 1977, refitted in the report): pure water Cw,
// then the terms A, B and D of Sp, Sp^1.5 and Sp^2; of the two digits the
// first counts the powers of pressure in bar, the second those of temperature.
constexpr double cw00 = 1402.388, cw01 = 5.03711, cw02 = -5.80852e-2, cw03 = 3.3420e-4, cw04 = -1.47800e-6,
                 cw05 = 3.1464e-9;
constexpr double cw10 = 0.153563, cw11 = 6.8982e-4, cw12 = -8.1788e-6, cw13 = 1.3621e-7, cw14 = -6.1185e-10;
constexpr double cw20 = 3.1260e-5, cw21 = -1.7107e-6, cw22 = 2.5974e-8, cw23 = -2.5335e-10, cw24 = 1.0405e-12;
constexpr double cw30 = -9.7729e-9, cw31 = 3.8504e-10, cw32 = -2.3643e-12;
constexpr double ca00 = 1.389, ca01 = -1.262e-2, ca02 = 7.164e-5, ca03 = 2.006e-6, ca04 = -3.21e-8;
constexpr double ca10 = 9.4742e-5, ca11 = -1.2580e-5, ca12 = -6.4885e-8, ca13 = 1.0507e-8, ca14 = -2.0122e-10;
constexpr double ca20 = -3.9064e-7, ca21 = 9.1041e-9, ca22 = -1.6002e-10, ca23 = 7.988e-12;
constexpr double ca30 = 1.100e-10, ca31 = 6.649e-12, ca32 = -3.389e-13;
constexpr double cb00 = -1.922e-2, cb01 = -4.42e-5, cb10 = 7.3637e-5, cb11 = 1.7945e-7;
constexpr double cd00 = 1.727e-3, cd10 = -7.9836e-6;

// Freezing point (Millero 1978)
constexpr double fa0 = -0.0575, fa1 = 1.710523e-3, fa2 = -2.154996e-4, fb0 = -7.53e-4;

constexpr int kMaxEvaluations = 1000;
constexpr double kTolerance = 1e-5;

// rt(T): standard seawater's conductivity at T relative to its value at 15 deg C.
double standardRatio(double T) { return c0 + T * (c1 + T * (c2 + T * (c3 + T * c4))); }

// The pressure term A of Rp.
double pressureTerm(double P) { return P * (e1 + P * (e2 + P * e3)); }

// A bisection that stops at a relative misfit of kTolerance or gives up after
// kMaxEvaluations. misfit(m) > 0 means m is too high. Returns the last midpoint
// or GSW_INVALID_VALUE.
template <typename Misfit>
double bisect(double lower, double upper, Misfit misfit, int* evaluations) {
    double e = 1.0;
    int n = 0;
    double m = 0.0;
    while (std::fabs(e) > kTolerance) {
        if (n == kMaxEvaluations) break;
        m = (upper + lower) * 0.5;
        e = misfit(m);
        ++n;
        if (e > 0) {
            upper = m;
        } else {
            lower = m;
        }
    }
    if (evaluations) *evaluations = n;
    // Meeting the tolerance on the last allowed evaluation still counts as failure.
    return n == kMaxEvaluations ? GSW_INVALID_VALUE : m;
}

}  // namespace

double pss78Salinity(double T, double Rt) {
    const double s = std::sqrt(Rt);
    const double f = (T - 15.0) / (1.0 + k * (T - 15.0));
    return (a0 + s * (a1 + s * (a2 + s * (a3 + s * (a4 + s * a5))))) +
           f * (b0 + s * (b1 + s * (b2 + s * (b3 + s * (b4 + s * b5)))));
}

double practicalSalinityFromConductivity(double C, double T, double P) {
    if (C < 0.0005) return 0.0;
    const double R = C / kStandardConductivity;
    const double rt = standardRatio(T);
    const double Rp = 1.0 + pressureTerm(P) / (1.0 + d1 * T + d2 * T * T + R * (d3 + d4 * T));
    return pss78Salinity(T, R / (rt * Rp));
}

double conductivityFromPracticalSalinity(double Sp, double T, double P, int* evaluations) {
    if (evaluations) *evaluations = 0;
    if (Sp < 0.02) return 0.0;
    const double Rt = bisect(
        0.0, 10.0, [&](double m) { return (pss78Salinity(T, m) - Sp) / Sp; }, evaluations);
    if (Rt == GSW_INVALID_VALUE) return GSW_INVALID_VALUE;
    // Undo the pressure correction exactly: the positive root of
    // D R^2 + u R - rt Rt (A + B) = 0.
    const double B = 1.0 + d1 * T + d2 * T * T;
    const double D = d3 + d4 * T;
    const double A = pressureTerm(P);
    const double rt = standardRatio(T);
    const double u = B - rt * D * Rt;
    const double R = (std::sqrt(u * u + 4.0 * D * rt * Rt * (A + B)) - u) / (2.0 * D);
    return kStandardConductivity * R;
}

double densityIes80AtZeroPressure(double Sp, double T) {
    const double pureWater = ra0 + T * (ra1 + T * (ra2 + T * (ra3 + T * (ra4 + T * ra5))));
    const double sp15 = Sp * std::sqrt(Sp);
    return pureWater + Sp * (rb0 + T * (rb1 + T * (rb2 + T * (rb3 + T * rb4)))) + sp15 * (rc0 + T * (rc1 + T * rc2)) +
           rd0 * Sp * Sp;
}

double densityIes80(double Sp, double T, double P) {
    const double p = P / 10.0;  // bar
    const double sp15 = Sp * std::sqrt(Sp);
    const double Kw = ke0 + T * (ke1 + T * (ke2 + T * (ke3 + T * ke4)));
    const double K0 = Kw + Sp * (kf0 + T * (kf1 + T * (kf2 + T * kf3))) + sp15 * (kg0 + T * (kg1 + T * kg2));
    const double A = kh0 + T * (kh1 + T * (kh2 + T * kh3)) + Sp * (ki0 + T * (ki1 + T * ki2)) + kj0 * sp15;
    const double B = kk0 + T * (kk1 + T * kk2) + Sp * (km0 + T * (km1 + T * km2));
    const double K = K0 + A * p + B * p * p;
    return densityIes80AtZeroPressure(Sp, T) / (1.0 - p / K);
}

double salinityFromDensityIes80(double rho, double T, double P, int* evaluations) {
    return bisect(
        0.0, 100.0, [&](double m) { return (densityIes80(m, T, P) - rho) / rho; }, evaluations);
}

double adiabaticLapseRateIes80(double Sp, double T, double P) {
    const double ds = Sp - 35.0;
    return la0 + T * (la1 + T * (la2 + T * la3)) + ds * (lb0 + T * lb1) +
           P * (lc0 + T * (lc1 + T * (lc2 + T * lc3)) + ds * (ld0 + T * ld1) + P * (le0 + T * (le1 + T * le2)));
}

double potentialTemperatureIes80(double Sp, double T, double P, double Pr) {
    // The weights (1 - 1/sqrt 2 and its kin) to the digits the report prints,
    // so that its results, and its check value, come out.
    const double h = Pr - P;
    double xk = h * adiabaticLapseRateIes80(Sp, T, P);
    double t = T + 0.5 * xk;
    double q = xk;
    double p = P + 0.5 * h;
    xk = h * adiabaticLapseRateIes80(Sp, t, p);
    t += 0.29289322 * (xk - q);
    q = 0.58578644 * xk + 0.121320344 * q;
    xk = h * adiabaticLapseRateIes80(Sp, t, p);
    t += 1.707106781 * (xk - q);
    q = 3.414213562 * xk - 4.121320344 * q;
    p += 0.5 * h;
    xk = h * adiabaticLapseRateIes80(Sp, t, p);
    return t + (xk - 2.0 * q) / 6.0;
}

double soundSpeedIes80(double Sp, double T, double P) {
    const double p = 0.1 * P;  // bar
    const double cw =
        cw00 + T * (cw01 + T * (cw02 + T * (cw03 + T * (cw04 + T * cw05)))) +
        p * (cw10 + T * (cw11 + T * (cw12 + T * (cw13 + T * cw14))) +
             p * (cw20 + T * (cw21 + T * (cw22 + T * (cw23 + T * cw24))) + p * (cw30 + T * (cw31 + T * cw32))));
    const double a = ca00 + T * (ca01 + T * (ca02 + T * (ca03 + T * ca04))) +
                     p * (ca10 + T * (ca11 + T * (ca12 + T * (ca13 + T * ca14))) +
                          p * (ca20 + T * (ca21 + T * (ca22 + T * ca23)) + p * (ca30 + T * (ca31 + T * ca32))));
    const double b = cb00 + T * cb01 + p * (cb10 + T * cb11);
    const double d = cd00 + p * cd10;
    return cw + Sp * (a + b * std::sqrt(Sp) + d * Sp);
}

double freezingTemperatureIes80(double Sp, double P) { return Sp * (fa0 + fa1 * std::sqrt(Sp) + fa2 * Sp) + fb0 * P; }

}  // namespace thalwen
