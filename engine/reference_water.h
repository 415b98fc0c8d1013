// Pure water as the reference of specific gravity, and the temperature units
// the interface offers.
#pragma once

namespace thalwen {

// Density of air-free pure water at 101.325 kPa [kg/m^3], t [deg C], valid 0..40.
double pureWaterDensity(double t);

double celsiusToFahrenheit(double x);
double fahrenheitToCelsius(double x);

}  // namespace thalwen
