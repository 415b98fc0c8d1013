#!/usr/bin/python3
"""thalwen.convert against numpy + GSW computing the same quantities in the
same process, nothing read or written on either side: one thread, then every
core; and the module's time per sample against the engine's own (bare_gsw,
the same samples). Best of three; a measurement to read, not a test.
   compare.py [SAMPLES] [PATH/TO/bare_gsw]"""
import os
import subprocess
import sys
import tempfile
import time

import gsw
import numpy as np
import thalwen

HERE = os.path.dirname(os.path.abspath(__file__))


def pure_water_density(t):
    # CIPM formula (Tanaka et al., 2001), as thalwen's reference water
    return 999.97495 * (1 - (t - 3.983035) ** 2 * (t + 301.797) / 522528.9 / (t + 69.34881))


def numpy_gsw(p, lon, lat, t, sp, t_ref):
    sa = gsw.SA_from_SP(sp, p, lon, lat)
    rho = gsw.rho_t_exact(sa, t, p)
    return sa, rho, gsw.C_from_SP(sp, t, p), rho / pure_water_density(t_ref)


def best(function):
    times = []
    for _ in range(3):
        start = time.perf_counter()
        result = function()
        times.append(time.perf_counter() - start)
    return min(times), result


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
    bare_gsw = sys.argv[2] if len(sys.argv) > 2 else None
    with tempfile.TemporaryDirectory() as work:
        # The batch benchmark's samples (Practical Salinity, TEOS-10 exact),
        # read before any timing; bare_gsw reads the same file.
        path = os.path.join(work, "samples.csv")
        subprocess.run([sys.executable, os.path.join(HERE, "..", "batch", "generate.py"), str(count), path], check=True)
        p, lon, lat, t, sp, t_ref = np.loadtxt(path, delimiter=",", skiprows=1, usecols=range(1, 7), unpack=True)
        engine = subprocess.run([bare_gsw, path], check=True, capture_output=True, text=True).stdout if bare_gsw else ""

    given = dict(pressure=p, longitude=lon, latitude=lat, temperature=t, salinity=sp, reference_temperature=t_ref)
    numpy_time, expected = best(lambda: numpy_gsw(p, lon, lat, t, sp, t_ref))
    one_time, one = best(lambda: thalwen.convert(**given, jobs=1))
    all_time, every = best(lambda: thalwen.convert(**given))
    # Like with like: the same GSW calls give the same numbers.
    for name, values in zip(("absolute_salinity", "density", "conductivity", "specific_gravity"), expected):
        assert np.array_equal(getattr(one, name), values) and np.array_equal(getattr(every, name), values), name

    cores = os.cpu_count()
    print(f"samples: {count:,} (Practical Salinity, TEOS-10 exact), {cores} cores")
    print(f"{'':34}{'seconds':>9}{'per sample':>13}{'ratio':>8}  goal")
    rows = [("numpy + GSW", numpy_time, "", ""),
            ("thalwen.convert, jobs=1", one_time, one_time / numpy_time, "at most 1 of numpy + GSW"),
            (f"thalwen.convert, jobs={cores} (default)", all_time, all_time / numpy_time,
             "at most 0.6 of numpy + GSW")]
    if engine:  # "N rows, BARE s (checksum ...); engine ENGINE"
        bare, engine_time = float(engine.split()[2]), float(engine.split()[-1])
        rows += [("engine alone (bare_gsw)", engine_time, one_time / engine_time,
                  "jobs=1 at most 1.2 of the engine's"),
                 ("bare GSW calls (bare_gsw)", bare, "", "")]
    for label, seconds, ratio, goal in rows:
        ratio_text = f"{ratio:8.2f}" if ratio != "" else " " * 8
        print(f"{label:34}{seconds:9.3f}{seconds / count * 1e6:10.2f} µs{ratio_text}  {goal}")


if __name__ == "__main__":
    main()
