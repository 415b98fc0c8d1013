"""Archive data in thalwen.convert: fill values given as missing, values no
sample can have and the units attributes of xarray inputs give NaN or the
right number, never a plausible wrong one."""
import warnings

import numpy as np
import pytest
import thalwen
import xarray as xr
from samples import measured

NAN = float("nan")
FIELDS = thalwen.Conversion._fields[:-1]


def bar(*values):
    return xr.DataArray(np.array(values, dtype=float), attrs={"units": "bar"})


def converted(given):
    """The conversion of given and the measurements it lacks (two threads),
    and the messages of its warnings."""
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        result = thalwen.convert(**measured(given), jobs=2)
    assert all(warning.category is thalwen.ImpossibleValueWarning for warning in caught)
    return result, [str(warning.message) for warning in caught]


@pytest.mark.parametrize("given, lost, warned", [  # the samples whose results are all NaN; the warning
    (dict(pressure=[-999, 100, 12001]), [1, 0, 1],
     ["2 samples", "pressure (below a vacuum or deeper than any ocean", "missing="]),
    (dict(temperature=[99999, 10]), [1, 0], ["1 sample ", "temperature (hotter than liquid water"]),
    (dict(salinity=[-999, 35]), [1, 0], ["salinity (negative)"]),
    (dict(density=[-999999, 1025]), [1, 0], ["density (lighter"]),  # not the engine's absent marker
    (dict(longitude=[-999, 10]), [1, 0], ["longitude (more than a turn west)"]),
    (dict(longitude=[-999, 10], method="ies80"), [1, 0], ["longitude"]),  # no use for it, and no measurement
    (dict(latitude=[95, 10]), [1, 0], ["latitude (north of the North Pole)"]),
    (dict(temperature=[-100, -70], fahrenheit=True), [1, 0], ["temperature (colder"]),  # -70 °F: -56.7 °C
    (dict(conductivity=[600_000, 400_000], conductivity_unit="uS/cm"), [1, 0], ["conductivity (more than"]),
    (dict(pressure=bar(1300, 1100)), [1, 0], ["pressure (deeper"]),  # the band after the unit
    (dict(pressure=[-999, 100], temperature=[99999, 99999]), [1, 1],
     ["2 samples", "pressure (below a vacuum) and temperature (hotter"]),
    (dict(pressure=np.r_[np.full(3000, -999.0), 100]), [1] * 3000 + [0], ["3000 samples"]),  # every thread's
    (dict(pressure=[-999, 100], missing=-999), [1, 0], None),
    (dict(pressure=[-999, 100], temperature=[10, 99999], missing=[-999, 99999]), [1, 1], None),
    (dict(temperature=np.float32([9.96921e36, 10]), missing=9.96921e36), [1, 0], None),  # as numpy compares
    (dict(pressure=bar(-999, 100), missing=-999), [1, 0], None),  # the fill value as written
    (dict(pressure=[-999.5, 100], missing=-999), [1, 0], ["pressure (below a vacuum)"]),
])
def test_fill_values_and_values_no_sample_can_have_give_nan(given, lost, warned):
    result, messages = converted(given)
    for index, is_lost in enumerate(lost):
        assert np.isnan(result.density[index]) == is_lost
        if is_lost:
            assert all(np.isnan(getattr(result, name)[index]) for name in FIELDS)
            assert not any(flags[index] for flags in result.clamped.values())
    assert len(messages) == (1 if warned else 0), messages
    for text in warned or []:
        assert text in messages[0]


@pytest.mark.parametrize("given, position", [  # longitude and latitude returned
    (dict(), (NAN, NAN)),  # nothing invented
    (dict(longitude=[10, NAN], latitude=45), ([10, NAN], [45, 45])),
    (dict(longitude=[-999, 10], latitude=45, missing=-999), ([NAN, 10], [45, 45])),
])
def test_a_position_ies80_has_no_use_for_is_what_was_given(given, position):
    result = thalwen.convert(pressure=[0, 0], temperature=10, salinity=35, method="ies80", **given)
    assert np.array_equal(result.longitude, np.broadcast_to(position[0], 2), equal_nan=True)
    assert np.array_equal(result.latitude, np.broadcast_to(position[1], 2), equal_nan=True)
    assert not np.isnan(result.density).any()


def units(values, unit):
    return xr.DataArray(np.array(values, dtype=float), attrs={"units": unit})


@pytest.mark.parametrize("given, plain", [  # with a units attribute, and the same without
    (dict(conductivity=units([3.26, 4.1], "mhos/m")), dict(conductivity=[32.6, 41])),
    (dict(conductivity=units([3.26, 4.1], "S m-1")), dict(conductivity=[32.6, 41])),
    (dict(conductivity=units([32.6, 41], "mS/cm"), conductivity_unit="S/m"),  # the attribute first
     dict(conductivity=[3.26, 4.1], conductivity_unit="S/m")),
    (dict(temperature=units([59, 50], "degF")), dict(temperature=[15, 10])),
    (dict(temperature=units([288.15, 283.15], "K")), dict(temperature=[15, 10])),
    (dict(temperature=units([15, 10], "degree_Celsius"), fahrenheit=True), dict(temperature=[59, 50], fahrenheit=True)),
    (dict(pressure=units([100, 0], "bar")), dict(pressure=[1000, 0])),
    (dict(pressure=units([1000, 0], "db")), dict(pressure=[1000, 0])),
    (dict(longitude=units([30, 150], "degrees_west")), dict(longitude=[-30, -150])),
    (dict(salinity=units([35, 2.5], "psu")), dict(salinity=[35, 2.5])),
])
def test_the_units_attribute_says_the_unit_of_an_xarray_input(given, plain):
    result, expected = thalwen.convert(**measured(given)), thalwen.convert(**measured(plain))
    for name in FIELDS:
        assert np.allclose(getattr(result, name), getattr(expected, name), rtol=1e-13, equal_nan=True), name


@pytest.mark.parametrize("given", [  # in a unit the user works in: back as given, no unit round trip
    dict(temperature=units([50.1, 77.7], "°F"), fahrenheit=True),
    dict(temperature=units([50.1, 77.7], "fahrenheit"), fahrenheit=True),
    dict(conductivity=units([3.26, 3.2612345], "mhos/m"), conductivity_unit="S/m"),
])
def test_an_attribute_naming_the_users_unit_gives_the_value_back_exactly(given):
    name = next(iter(given))
    assert getattr(thalwen.convert(**measured(given)), name).tolist() == given[name].values.tolist()
