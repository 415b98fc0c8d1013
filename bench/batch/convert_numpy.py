#!/usr/bin/python3
"""The same batch with numpy and the GSW Python package, for comparison:
convert_numpy.py IN.csv OUT.csv. Reads the columns generate.py writes and
writes SA, density, conductivity and SG next to the inputs."""
import sys

import gsw
import numpy as np


def pure_water_density(t):
    # CIPM formula (Tanaka et al., 2001), as thalwen's reference water
    return 999.97495 * (1 - (t - 3.983035) ** 2 * (t + 301.797) / 522528.9 / (t + 69.34881))


def main():
    source, target = sys.argv[1], sys.argv[2]
    data = np.loadtxt(source, delimiter=",", skiprows=1, usecols=range(1, 7))
    p, lon, lat, t, sp, t_ref = data.T
    sa = gsw.SA_from_SP(sp, p, lon, lat)
    rho = gsw.rho_t_exact(sa, t, p)
    c = gsw.C_from_SP(sp, t, p)
    sg = rho / pure_water_density(t_ref)
    out = np.column_stack([p, lon, lat, t, sp, sa, rho, c, sg, t_ref])
    np.savetxt(target, out, delimiter=",", comments="",
               fmt=["%.2f", "%.6f", "%.6f", "%.2f", "%.5f", "%.5f", "%.5f", "%.5f", "%.5f", "%.2f"],
               header="pressure,longitude,latitude,temperature,practicalSalinity,absoluteSalinity,"
                      "density,conductivity,specificGravity,referenceTemperature")


if __name__ == "__main__":
    main()
