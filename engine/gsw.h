// The few functions of the TEOS-10 GSW C library that the engine calls.
// The library is installed, not part of this program; we declare only what we
// use so that any build of it (standalone or inside the Python package) links.
#pragma once

extern "C" {
double gsw_sp_from_c(double c, double t, double p);   // c [mS/cm]
double gsw_c_from_sp(double sp, double t, double p);  // [mS/cm]
double gsw_sa_from_sp(double sp, double p, double lon, double lat);
double gsw_sp_from_sa(double sa, double p, double lon, double lat);
double gsw_pt_from_t(double sa, double t, double p, double p_ref);
double gsw_pt0_from_t(double sa, double t, double p);
double gsw_ct_from_pt(double sa, double pt);
double gsw_ct_from_t(double sa, double t, double p);
double gsw_rho(double sa, double ct, double p);          // polynomial
double gsw_rho_t_exact(double sa, double t, double p);   // Gibbs function
double gsw_sigma0(double sa, double ct);                 // polynomial
double gsw_sound_speed(double sa, double ct, double p);  // polynomial
double gsw_sound_speed_t_exact(double sa, double t, double p);
double gsw_t_freezing(double sa, double p, double saturation_fraction);
double gsw_gibbs(int ns, int nt, int np, double sa, double t, double p);
// Outputs given as null are skipped by the library.
void gsw_rho_first_derivatives(double sa, double ct, double p, double* drho_dsa, double* drho_dct, double* drho_dp);
void gsw_ct_first_derivatives_wrt_t_exact(double sa, double t, double p, double* ct_sa_wrt_t, double* ct_t_wrt_t,
                                          double* ct_p_wrt_t);
}
