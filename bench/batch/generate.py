#!/usr/bin/python3
"""Writes random in-range samples (Practical Salinity source, method exact)
as thalwen-convert batch input: generate.py [COUNT] [PATH]."""
import sys

import numpy as np


def columns(count):
    """The samples' pressure, longitude, latitude, temperature,
    practicalSalinity and referenceTemperature (before the file rounds them)."""
    rng = np.random.default_rng(20261208)  # fixed, so runs compare like with like
    return [
        rng.uniform(0, 10000, count),  # pressure
        rng.uniform(-180, 180, count),  # longitude
        rng.uniform(-86, 90, count),  # latitude
        rng.uniform(-2, 35, count),  # temperature
        rng.uniform(2, 42, count),  # practicalSalinity
        rng.uniform(0, 40, count),  # referenceTemperature
    ]


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 200_000
    path = sys.argv[2] if len(sys.argv) > 2 else "samples.csv"
    np.savetxt(path, np.column_stack(columns(count)), fmt="exact,%.2f,%.6f,%.6f,%.3f,%.5f,%.2f", comments="",
               header="method,pressure,longitude,latitude,temperature,practicalSalinity,referenceTemperature")


if __name__ == "__main__":
    main()
