#include "reference_water.h"

namespace thalwen {

// CIPM recommendation for the density of air-free pure water at 101.325 kPa
// (Tanaka et al., 2001, Metrologia 38, 301). Evaluated in the published order.
double pureWaterDensity(double t) {
    constexpr double a1 = 3.983035;   // temperature of maximum density [deg C]
    constexpr double a2 = 301.797;    // [deg C]
    constexpr double a3 = 522528.9;   // [deg C^2]
    constexpr double a4 = 69.34881;   // [deg C]
    constexpr double a5 = 999.97495;  // maximum density [kg/m^3]
    const double d = t - a1;
    return a5 * (1.0 - d * d * (t + a2) / a3 / (t + a4));
}

double celsiusToFahrenheit(double x) { return x * 1.8 + 32.0; }

double fahrenheitToCelsius(double x) { return (x - 32.0) / 1.8; }

}  // namespace thalwen
