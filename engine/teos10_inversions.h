// Absolute Salinity from in-situ density, one inversion per TEOS-10 method,
// each consistent with the density that method computes forwards.
// rho [kg/m^3], t in-situ [deg C, ITS-90], p sea pressure [dbar]; result SA [g/kg]
// or GSW_INVALID_VALUE. Fixed cost: no convergence test.
#pragma once

namespace thalwen {

// Inverts the full Gibbs function density (gsw_rho_t_exact).
double absoluteSalinityFromDensityExact(double rho, double t, double p);

// Inverts the polynomial density gsw_rho at the sample's Conservative
// Temperature, starting from the exact inversion.
double absoluteSalinityFromDensityPolynomial(double rho, double t, double p);

}  // namespace thalwen
