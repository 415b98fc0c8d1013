"""Bad arguments to thalwen.convert: a Python exception that names them, and
no conversion."""
import inspect

import numpy as np
import pandas as pd
import pytest
import thalwen
import xarray as xr
from samples import measured

BAD = [  # the keywords besides the measurements, the exception, what its message must name
    (dict(temperature="warm"), TypeError, ["temperature", "'warm'"]),
    (dict(pressure=["10", "20"]), TypeError, ["pressure"]),  # numpy would read the digits
    (dict(conductivity=[True, False]), TypeError, ["conductivity"]),
    (dict(density=1025 + 1j), TypeError, ["density"]),
    (dict(latitude=[[1], [1, 2]]), TypeError, ["latitude"]),
    (dict(temperature=[1, 2, 3], salinity=np.ones((2, 1, 2))), ValueError, ["temperature", "(3,)", "salinity", "(2, 1, 2)"]),
    (dict(salinity=35, density=1025), ValueError, ["salinity", "density"]),
    (dict(conductivity=42, specific_gravity=None, density=1025), ValueError, ["conductivity", "density"]),
    (dict(method="teos10"), ValueError, ["method", "'teos10'", "'exact'", "'polynomial'", "'ies80'"]),
    (dict(conductivity_unit="mS/m"), ValueError, ["conductivity_unit", "'mS/m'", "'mS/cm'", "'S/m'", "'uS/cm'"]),
    (dict(fahrenheit="no"), TypeError, ["fahrenheit", "'no'"]),
    (dict(jobs=0), ValueError, ["jobs", "0"]),
    (dict(jobs=2.5), TypeError, ["jobs", "2.5"]),
    (dict(salnity=35), TypeError, ["salnity", "salinity"]),
    (dict(temperature=pd.Series([10, 11], index=[0, 1]), salinity=pd.Series([35, 36], index=[1, 2])), ValueError,
     ["temperature", "salinity", "index"]),
    (dict(temperature=xr.DataArray([10, 11], dims="depth"), salinity=xr.DataArray([35, 36], dims="time")),
     ValueError, ["temperature", "salinity", "apply_ufunc"]),
    (dict(temperature=xr.DataArray([10, 11], dims="depth", coords={"depth": [0, 5]}),
          salinity=xr.DataArray([35, 36], dims="depth", coords={"depth": [5, 10]})),
     ValueError, ["temperature", "salinity", "coordinates"]),
    (dict(missing="-999"), TypeError, ["missing", "'-999'"]),
    (dict(missing=[[-999], [99999]]), TypeError, ["missing"]),
    (dict(conductivity=xr.DataArray([3.2], attrs={"units": "kg"})), ValueError, ["conductivity", "units", "'kg'"]),
    (dict(pressure=xr.DataArray([3.2], attrs={"units": "bananas"})), ValueError, ["pressure", "units", "'bananas'"]),
    (dict(temperature=xr.DataArray([3.2], attrs={"units": 5})), ValueError, ["temperature", "units", "5"]),
]


@pytest.mark.parametrize("keywords, exception, named", BAD)
def test_bad_arguments_are_named(keywords, exception, named):
    with pytest.raises(exception) as raised:
        thalwen.convert(**measured(keywords))
    for text in named:
        assert text in str(raised.value)


POSITION = ["latitude", "longitude", "TEOS-10"]
SALINITY_RELATED = ["salinity", "density", "conductivity", "specific_gravity"]


@pytest.mark.parametrize("keywords, named, unnamed", [  # what the TypeError must name and must not
    (dict(), ["pressure", "temperature"] + POSITION + SALINITY_RELATED, []),
    (dict(pressure=0, temperature=10, salinity=35, latitude=10), ["longitude", "TEOS-10"], ["latitude", "pressure"]),
    (dict(pressure=0, temperature=10, method="ies80"), SALINITY_RELATED, POSITION),
    (dict(pressure=None, temperature=10, salinity=35, latitude=10, longitude=0), ["pressure"], ["temperature"]),
    (dict(pressure=0, density=1025, latitude=10, longitude=0, method="polynomial"), ["temperature"],
     ["pressure", "reference_temperature"]),
])
def test_every_measurement_not_given_is_named(keywords, named, unnamed):
    with pytest.raises(TypeError) as raised:
        thalwen.convert(**keywords)
    for text in named:
        assert text in str(raised.value)
    for text in unnamed:
        assert text not in str(raised.value)


def test_arguments_are_keywords():
    with pytest.raises(TypeError, match="keyword arguments only"):
        thalwen.convert(0, 2.35, 48.85, 15)


def test_help_names_every_argument_and_unit():
    doc = thalwen.convert.__doc__
    for name in inspect.signature(thalwen.convert).parameters:
        assert f"\n{name} : " in doc
    for unit in ["[dbar]", "[°E]", "[°N]", "[°C, or °F", "[kg/m³]", "[g/kg]", "[mS/cm, or as conductivity_unit"]:
        assert unit in doc
