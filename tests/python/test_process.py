"""thalwen in the same Python as gsw, either imported first: both call the one
GSW library loaded, and no second Python runtime comes in with thalwen."""
import subprocess
import sys

import pytest

SCRIPT = """
import {first}, {second}
import gsw, thalwen
result = thalwen.convert(salinity=[35, 2.5], pressure=[0, 4000], longitude=[-30, 150], latitude=[10, -60])
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
