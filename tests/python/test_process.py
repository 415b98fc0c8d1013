"""thalwen in the same Python as gsw, either imported first: both call the one
GSW library loaded, and no second Python runtime comes in with thalwen.
Ctrl-C stops a long conversion at once and leaves no thread behind."""
import signal
import subprocess
import sys
import time

import pytest

SCRIPT = """
import {first}, {second}
import gsw, thalwen
result = thalwen.convert(salinity=[35, 2.5], pressure=[0, 4000], longitude=[-30, 150], latitude=[10, -60],
                         temperature=10)
expected = gsw.SA_from_SP([35, 2.5], [0, 4000], [-30, 150], [10, -60])
assert (result.absolute_salinity == expected).all(), (result.absolute_salinity, expected)
with open("/proc/self/maps") as maps:
    libraries = {{line.split()[-1] for line in maps if ".so" in line}}
assert not [name for name in libraries if "libpython" in name], libraries
assert len([name for name in libraries if "/_gsw_ufuncs" in name]) == 1, libraries
"""


@pytest.mark.parametrize("first, second", [("gsw", "thalwen"), ("thalwen", "gsw")])
def test_imported_beside_gsw(first, second):
    subprocess.run([sys.executable, "-c", SCRIPT.format(first=first, second=second)], check=True)


INTERRUPTED = """
import os, signal, time
import numpy as np, thalwen
signal.signal(signal.SIGINT, signal.default_int_handler)  # even if started with Ctrl-C ignored
threads = lambda: len(os.listdir("/proc/self/task"))
before = threads()
print("converting", flush=True)
try:  # 100 million samples, minutes on two threads; the untouched results take no memory
    thalwen.convert(temperature=np.linspace(0, 30, 10_000)[:, None], density=np.linspace(1000, 1050, 10_000),
                    pressure=0, latitude=30, longitude=-30, method="polynomial", jobs=2)
except KeyboardInterrupt:
    end = time.monotonic() + 1  # an ended thread may show a moment after it is joined
    while threads() != before and time.monotonic() < end:
        time.sleep(0.01)
    print("interrupted, threads left:", threads() - before)
"""


def test_ctrl_c_stops_a_conversion_and_leaves_no_thread():
    with subprocess.Popen([sys.executable, "-c", INTERRUPTED], stdout=subprocess.PIPE, text=True) as child:
        try:
            assert child.stdout.readline() == "converting\n"
            time.sleep(0.5)  # well into the conversion
            child.send_signal(signal.SIGINT)
            assert child.communicate(timeout=10)[0] == "interrupted, threads left: 0\n"  # not minutes later
        finally:
            child.kill()  # after a failure
