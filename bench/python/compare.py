#!/usr/bin/python3
"""thalwen.convert against numpy + GSW computing the same quantities in the
same process, nothing read or written on either side: the four quantities a
Practical Salinity gives (Absolute Salinity, density, conductivity, specific
gravity), the four a T-S diagram, a sonar and an ice study want
(Conservative Temperature, sigma0, sound speed, freezing temperature), and
the ten quantities and flags thalwen returns without outputs=; one thread,
then every core; and the module's time per sample against the engine's own
(bare_gsw, the same samples). Best of three; a measurement to read, not a
test.
   compare.py [SAMPLES] [PATH/TO/bare_gsw]
   compare.py --memory [SAMPLES]   peak memory of each side (four results, and
                                   thalwen's ten and flags), each in a process of
                                   its own, on every core (default 100,000,000)"""
import os
import resource
import subprocess
import sys
import tempfile
import time

import gsw
import numpy as np
import thalwen

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLE = ("absolute_salinity", "density", "conductivity", "specific_gravity")
DERIVED = ("conservative_temperature", "sigma0", "sound_speed", "freezing_temperature")


def pure_water_density(t):
    # CIPM formula (Tanaka et al., 2001), as thalwen's reference water
    return 999.97495 * (1 - (t - 3.983035) ** 2 * (t + 301.797) / 522528.9 / (t + 69.34881))


def numpy_sample(p, lon, lat, t, sp, t_ref):
    sa = gsw.SA_from_SP(sp, p, lon, lat)
    rho = gsw.rho_t_exact(sa, t, p)
    return sa, rho, gsw.C_from_SP(sp, t, p), rho / pure_water_density(t_ref)


def numpy_derived(p, lon, lat, t, sp, t_ref):
    # The GSW calls of TEOS-10 exact: sigma0 from the Gibbs function at the
    # potential temperature, as the density is.
    sa = gsw.SA_from_SP(sp, p, lon, lat)
    pt = gsw.pt0_from_t(sa, t, p)
    return (gsw.CT_from_pt(sa, pt), gsw.rho_t_exact(sa, pt, 0) - 1000, gsw.sound_speed_t_exact(sa, t, p),
            gsw.t_freezing(sa, p, 1))


def best(function):
    times = []
    for _ in range(3):
        start = time.perf_counter()
        result = function()
        times.append(time.perf_counter() - start)
    return min(times), result


def samples(count):
    """The batch benchmark's samples (Practical Salinity, TEOS-10 exact), made
    as generate.py makes them, without a file."""
    sys.path.insert(0, os.path.join(HERE, "..", "batch"))
    from generate import columns
    return columns(count)


def child(side, count):
    """One side's conversion of count samples, in this process alone: its
    peak memory, inputs included, and its time."""
    p, lon, lat, t, sp, t_ref = samples(count)
    start = time.perf_counter()
    given = dict(pressure=p, longitude=lon, latitude=lat, temperature=t, salinity=sp, reference_temperature=t_ref)
    if side == "numpy":
        results = numpy_sample(p, lon, lat, t, sp, t_ref)
    elif side == "ten":
        results = thalwen.convert(**given)
    else:
        results = thalwen.convert(**given, outputs=SAMPLE)
    seconds = time.perf_counter() - start
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024 ** 2  # kB
    print(f"{peak:.2f} {seconds:.1f} {len(results)}")


def memory(count):
    inputs = 6 * 8 * count / 1024 ** 3
    print(f"samples: {count:,}, four results (Absolute Salinity, density, conductivity, specific gravity); "
          f"the six inputs take {inputs:.1f} GB of each peak")
    print(f"{'':34}{'peak GB':>9}{'seconds':>9}")
    for side, label in (("numpy", "numpy + GSW"), ("thalwen", "thalwen.convert, outputs= the four"),
                        ("ten", "thalwen.convert, the ten and flags")):
        run = subprocess.run([sys.executable, __file__, "--child", side, str(count)], check=True,
                             capture_output=True, text=True)
        peak, seconds, _ = run.stdout.split()
        print(f"{label:34}{float(peak):9.2f}{float(seconds):9.1f}")


def main():
    if sys.argv[1:2] == ["--child"]:
        return child(sys.argv[2], int(sys.argv[3]))
    if sys.argv[1:2] == ["--memory"]:
        return memory(int(sys.argv[2]) if len(sys.argv) > 2 else 100_000_000)
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
    bare_gsw = sys.argv[2] if len(sys.argv) > 2 else None
    engine = ""
    if bare_gsw:
        with tempfile.TemporaryDirectory() as work:  # bare_gsw reads the samples from a file
            path = os.path.join(work, "samples.csv")
            subprocess.run([sys.executable, os.path.join(HERE, "..", "batch", "generate.py"), str(count), path],
                           check=True)
            engine = subprocess.run([bare_gsw, path], check=True, capture_output=True, text=True).stdout
    p, lon, lat, t, sp, t_ref = samples(count)
    given = dict(pressure=p, longitude=lon, latitude=lat, temperature=t, salinity=sp, reference_temperature=t_ref)
    cores = os.cpu_count()

    rows = []
    for title, numpy_side, outputs in (("Absolute Salinity, density, conductivity, specific gravity", numpy_sample,
                                        SAMPLE),
                                       ("Conservative Temperature, sigma0, sound speed, freezing temperature",
                                        numpy_derived, DERIVED)):
        numpy_time, expected = best(lambda: numpy_side(p, lon, lat, t, sp, t_ref))
        one_time, one = best(lambda: thalwen.convert(**given, outputs=outputs, jobs=1))
        all_time, every = best(lambda: thalwen.convert(**given, outputs=outputs))
        # Like with like: the same GSW calls give the same numbers.
        for name, values in zip(outputs, expected):
            assert np.array_equal(getattr(one, name), values) and np.array_equal(getattr(every, name), values), name
        rows += [(title, None, None, ""),
                 ("numpy + GSW", numpy_time, None, ""),
                 ("thalwen.convert, jobs=1", one_time, one_time / numpy_time, "at most 1 of numpy + GSW"),
                 (f"thalwen.convert, jobs={cores} (default)", all_time, all_time / numpy_time,
                  "at most 0.6 of numpy + GSW")]
        if outputs == SAMPLE:
            ten_time, _ = best(lambda: thalwen.convert(**given, jobs=1))
            rows.append(("the ten and flags (no outputs=), jobs=1", ten_time, ten_time / numpy_time, ""))
            if engine:  # "N rows, BARE s (checksum ...); engine ENGINE"
                bare, engine_time = float(engine.split()[2]), float(engine.split()[-1])
                rows += [("engine alone (bare_gsw)", engine_time, engine_time / numpy_time, ""),
                         ("bare GSW calls (bare_gsw)", bare, bare / numpy_time, "")]

    print(f"samples: {count:,} (Practical Salinity, TEOS-10 exact), {cores} cores")
    print(f"{'':42}{'seconds':>9}{'per sample':>13}{'ratio':>8}  goal")
    for label, seconds, ratio, goal in rows:
        if seconds is None:
            print(label)
            continue
        ratio_text = f"{ratio:8.2f}" if ratio is not None else " " * 8
        print(f"  {label:40}{seconds:9.3f}{seconds / count * 1e6:10.2f} µs{ratio_text}  {goal}")


if __name__ == "__main__":
    main()
