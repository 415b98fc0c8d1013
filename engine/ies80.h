// EOS-80 density and PSS-78 Practical Salinity, with our own inversions, and
// the other properties of the algorithms published with them (UNESCO 1983).
// Temperatures enter unconverted [deg C], pressures are sea pressures [dbar],
// conductivities are in S/m here (not mS/cm).
#pragma once

namespace thalwen {

// Sp from temperature T and the ratio Rt to standard seawater at T and 0 dbar.
double pss78Salinity(double T, double Rt);

// Sp from conductivity C [S/m]; exactly 0 below 0.0005 S/m.
double practicalSalinityFromConductivity(double C, double T, double P);

// Conductivity [S/m] from Sp by bisection on Rt; 0 below Sp 0.02,
// GSW_INVALID_VALUE when the search fails. When evaluations is given it
// receives the number of forward evaluations made.
double conductivityFromPracticalSalinity(double Sp, double T, double P, int* evaluations = nullptr);

// One-atmosphere density [kg/m^3].
double densityIes80AtZeroPressure(double Sp, double T);

// In-situ density [kg/m^3] by the secant bulk modulus.
double densityIes80(double Sp, double T, double P);

// Sp from in-situ density by bisection on Sp in 0..100; GSW_INVALID_VALUE when
// the search fails.
double salinityFromDensityIes80(double rho, double T, double P, int* evaluations = nullptr);

// Adiabatic lapse rate [deg C/dbar] (Bryden 1973).
double adiabaticLapseRateIes80(double Sp, double T, double P);

// Potential temperature [deg C] referred to Pr [dbar]: one fourth-order
// Runge-Kutta step over the lapse rate (Fofonoff 1977).
double potentialTemperatureIes80(double Sp, double T, double P, double Pr);

// Speed of sound [m/s] (Chen and Millero 1977).
double soundSpeedIes80(double Sp, double T, double P);

// Freezing point [deg C] at P (Millero 1978).
double freezingTemperatureIes80(double Sp, double P);

}  // namespace thalwen
