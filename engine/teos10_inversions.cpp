#include "teos10_inversions.h"

#include "gsw.h"
#include "sample.h"

namespace thalwen {

namespace {

constexpr double kMaxAbsoluteSalinity = 120.0;  // [g/kg]
constexpr int kExactPasses = 2;
constexpr int kPolynomialPasses = 3;

// Marks an estimate outside 0..120 g/kg. The marked value goes on taking part
// in the iteration as an ordinary number; only the last test decides the result.
// A not-a-number estimate fails both comparisons and passes unchanged.
double markedIfOutside(double sa) { return (sa < 0.0 || sa > kMaxAbsoluteSalinity) ? GSW_INVALID_VALUE : sa; }

double specificVolume(double sa, double t, double p) { return gsw_gibbs(0, 0, 1, sa, t, p); }

// d(specific volume)/dSA at constant t and p
double specificVolumeSlope(double sa, double t, double p) { return gsw_gibbs(1, 0, 1, sa, t, p); }

double polynomialDensity(double sa, double t, double p) { return gsw_rho(sa, gsw_ct_from_t(sa, t, p), p); }

// d(rho)/dSA at constant t and p, from the library's derivatives at constant
// Conservative Temperature by the chain rule.
double polynomialDensitySlope(double sa, double t, double p) {
    double ctSa = 0.0;
    gsw_ct_first_derivatives_wrt_t_exact(sa, t, p, &ctSa, nullptr, nullptr);
    double rhoSa = 0.0, rhoCt = 0.0;
    gsw_rho_first_derivatives(sa, gsw_ct_from_t(sa, t, p), p, &rhoSa, &rhoCt, nullptr);
    return rhoCt * ctSa + rhoSa;
}

// Modified Newton-Raphson: each pass makes a provisional step with the slope
// carried over, re-evaluates the slope half way, and steps again from the old
// estimate. Fixed pass count, no convergence test.
template <typename Misfit, typename Slope>
double newtonPasses(double sa, double slope, int passes, Misfit misfit, Slope slopeAt) {
    for (int pass = 0; pass < passes; ++pass) {
        const double old = sa;
        const double delta = misfit(old);
        const double half = markedIfOutside(old - delta / slope);
        slope = slopeAt(0.5 * (half + old));
        sa = markedIfOutside(old - delta / slope);
    }
    return sa;
}

}  // namespace

double absoluteSalinityFromDensityExact(double rho, double t, double p) {
    const double vLab = 1.0 / rho;
    const double v0 = specificVolume(0.0, t, p);
    const double v120 = specificVolume(kMaxAbsoluteSalinity, t, p);
    const double start = markedIfOutside(kMaxAbsoluteSalinity * (vLab - v0) / (v120 - v0));
    const double startSlope = (v120 - v0) / kMaxAbsoluteSalinity;
    return newtonPasses(
        start, startSlope, kExactPasses, [&](double sa) { return specificVolume(sa, t, p) - vLab; },
        [&](double sa) { return specificVolumeSlope(sa, t, p); });
}

double absoluteSalinityFromDensityPolynomial(double rho, double t, double p) {
    const double start = absoluteSalinityFromDensityExact(rho, t, p);
    const double startSlope = polynomialDensitySlope(start, t, p);
    return newtonPasses(
        start, startSlope, kPolynomialPasses, [&](double sa) { return polynomialDensity(sa, t, p) - rho; },
        [&](double sa) { return polynomialDensitySlope(sa, t, p); });
}

}  // namespace thalwen
