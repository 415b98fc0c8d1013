"""thalwen.convert gives, sample by sample and to the last bit, what
thalwen-convert --format json --full gives, with and without outputs=; a missing measurement gives NaN
and nothing else; the shape, strides and threads do not change a result."""
import json
import os
import subprocess

import numpy as np
import pandas as pd
import pytest
import thalwen
import xarray as xr
from samples import measured

# A missing measurement or a value in range is not one no sample can have.
pytestmark = pytest.mark.filterwarnings("error::thalwen.ImpossibleValueWarning")

NAN = float("nan")
# The fields of the result as thalwen-convert's JSON names them.
JSON_NAMES = dict(pressure="pressure", longitude="longitude", latitude="latitude", temperature="temperature",
                  salinity="practicalSalinity", absolute_salinity="absoluteSalinity", density="density",
                  conductivity="conductivity", specific_gravity="specificGravity",
                  reference_temperature="referenceTemperature")
DERIVED_NAMES = dict(conservative_temperature="conservativeTemperature", potential_temperature="potentialTemperature",
                     sigma0="sigma0", sound_speed="soundSpeed", freezing_temperature="freezingTemperature")
EVERY_NAME = JSON_NAMES | DERIVED_NAMES
# Inside the ranges, beyond the upper bounds (but latitude's, the pole), beyond the lower ones.
PLACES = dict(pressure=[1500, 12000, -5], longitude=[151.3, 200, -183], latitude=[-35.2, 90, -90],
              temperature=[3.1, 40, -5], reference_temperature=[20, 50, -1])
# A salinity-related input: inside, below and above its ranges.
SOURCES = [("salinity", 33.9, 1.5, 50), ("density", 1026.1, 990, 1100), ("conductivity", 32.6, 0.001, 100),
           ("specific_gravity", 1.02, 0.9, 1.2)]
CASES = [(method, {}, source) for method in ("exact", "polynomial", "ies80") for source in SOURCES] + [
    ("exact", {"conductivity_unit": "S/m"}, ("conductivity", 3.26, 0.0001, 10)),
    ("ies80", {"conductivity_unit": "uS/cm"}, ("conductivity", 32600, 0.1, 84540.96)),
    ("polynomial", {"fahrenheit": True}, ("specific_gravity", 1.02, 0.9, 1.2)),
]


def command_line(method, options, sample):
    arguments = [os.environ["THALWEN_CONVERT"], "--format", "json", "--full", "--method", method]
    for name, value in {**options, **sample}.items():
        option = "--" + name.replace("_", "-")
        arguments += [option] if value is True else [f"{option}={value}"]  # str of a float: its shortest text
    run = subprocess.run(arguments, check=True, capture_output=True, text=True)
    return json.loads(run.stdout, parse_int=float)  # "-0" stays negative


def bits(value):
    return np.float64(NAN if value is None else value).tobytes()


@pytest.mark.parametrize("method, options, source", CASES)
def test_every_sample_as_the_command_line_converts_it(method, options, source):
    given = {name: np.array(values, dtype=float) for name, values in PLACES.items()}
    given[source[0]] = np.array(source[1:], dtype=float)[:, np.newaxis]
    result = thalwen.convert(method=method, **options, **given)
    chosen = thalwen.convert(method=method, **options, **given, outputs=[*EVERY_NAME, "clamped"])
    assert result.pressure.shape == (3, 3)
    for index in np.ndindex(result.pressure.shape):
        sample = {name: float(np.broadcast_to(values, result.pressure.shape)[index]) for name, values in given.items()}
        expected = command_line(method, options | {"outputs": ",".join(EVERY_NAME.values())}, sample)
        for name, key in EVERY_NAME.items():
            assert bits(getattr(chosen, name)[index]) == bits(expected[key]), (name, sample)
            if name in JSON_NAMES:
                assert bits(getattr(result, name)[index]) == bits(expected[key]), (name, sample)
        for flags in result.clamped, chosen.clamped:
            assert [JSON_NAMES[name] for name, flag in flags.items() if flag[index]] == expected["clamped"]


@pytest.mark.parametrize("options", [{}, {"fahrenheit": True}])
def test_the_reference_temperature_not_given_is_the_command_lines_default(options):
    given = measured(dict(specific_gravity=1.02))
    result, expected = thalwen.convert(**options, **given), command_line("exact", options, given)
    for name, key in JSON_NAMES.items():
        assert bits(getattr(result, name)) == bits(expected[key]), name


@pytest.mark.parametrize("method, given, converted", [
    ("exact", dict(temperature=[10, NAN]), [True, False]),
    ("exact", dict(salinity=[NAN, 30]), [False, True]),  # not the default salinity
    ("polynomial", dict(reference_temperature=[NAN, 10], specific_gravity=1.02), [False, True]),
    ("exact", dict(latitude=[30, NAN]), [True, False]),
    ("ies80", dict(latitude=[30, NAN], longitude=NAN), [True, True]),  # IES-80 has no use for the position
    ("ies80", dict(conductivity=np.ma.array([30, 30], mask=[True, False])), [False, True]),
    ("exact", dict(pressure=pd.Series([5, None], dtype="Int64")), [True, False]),
    ("exact", dict(temperature=[NAN] * 5000 + [10]), [False] * 5000 + [True]),  # a chunk after missing ones
])
def test_a_missing_measurement_gives_nan_and_nothing_else(method, given, converted):
    given = measured(given)
    result = thalwen.convert(method=method, **given, jobs=1)  # one thread: its chunks one after the other
    for index, is_converted in enumerate(converted):
        if not is_converted:
            assert all(np.isnan(getattr(result, name)[index]) for name in JSON_NAMES)
            assert not any(flags[index] for flags in result.clamped.values())
            continue
        alone = thalwen.convert(method=method, **{name: np.broadcast_to(value, len(converted))[index]
                                                  for name, value in given.items()})
        assert not np.isnan(alone.density)
        for name in JSON_NAMES:
            assert bits(getattr(result, name)[index]) == bits(getattr(alone, name)), name


def test_shapes_strides_and_threads_leave_every_sample_as_it_is():
    rng = np.random.default_rng(21)
    temperature = rng.uniform(-5, 40, (60, 1))
    conductivity = np.asfortranarray(rng.uniform(0, 95, (80, 60)))[::-2].T  # strided both ways
    latitude = rng.uniform(-90, 90, 80)[::2]
    results = [thalwen.convert(temperature=temperature, conductivity=conductivity, latitude=latitude, pressure=5,
                               longitude=-30, jobs=jobs) for jobs in (1, 3)]
    assert results[0].density.shape == (60, 40)
    for name in JSON_NAMES:
        assert np.array_equal(getattr(results[0], name), getattr(results[1], name), equal_nan=True)
    for row, column in [(0, 0), (12, 32), (25, 24), (59, 39)]:  # 12, 32 and 25, 24 begin a thread's later share
        alone = thalwen.convert(temperature=temperature[row, 0], conductivity=conductivity[row, column],
                                latitude=latitude[column], pressure=5, longitude=-30)
        assert type(alone.density) is float and type(alone.clamped["conductivity"]) is bool
        for name in JSON_NAMES:
            assert bits(getattr(results[1], name)[row, column]) == bits(getattr(alone, name)), name
        assert {name: flags[row, column] for name, flags in results[1].clamped.items()} == alone.clamped


def test_labelled_dimensions_pair_from_the_last_as_numpy_pairs_them():
    pressure = xr.DataArray([0.0, 500, 1500], dims="PRES", coords={"PRES": [0, 500, 1500]})
    temperature = xr.DataArray([[18.2, 7.9, 3.1], [17.5, 8.2, 3.0]], dims=("time", "PRES"),
                               coords={"PRES": pressure.PRES})
    others = dict(salinity=35, latitude=30, longitude=-30)
    result = thalwen.convert(pressure=pressure, temperature=temperature, **others)
    expected = thalwen.convert(pressure=pressure.values, temperature=temperature.values, **others)
    assert np.array_equal(result.density, expected.density)
