"""outputs= and out= of thalwen.convert: the results asked for, each as the GSW
package computes it, only those made, in the room the caller gives; a bad
choice is named."""
import gsw
import numpy as np
import pytest
import thalwen
from samples import measured

NAN = float("nan")
DERIVED = ("conservative_temperature", "potential_temperature", "sigma0", "sound_speed", "freezing_temperature")
SAMPLE = thalwen.Conversion._fields[:-1]
# A cast off Sydney down to the deepest bottle of GSW's check cast.
P, T, SP = np.array([0, 500, 1500, 6131]), np.array([18.2, 7.9, 3.1, 1.5998]), np.array([35, 34.5, 34.9, 34.7])
CAST = dict(pressure=P, temperature=T, salinity=SP, latitude=-35.2, longitude=151.3)


def sa():
    return gsw.SA_from_SP(SP, P, 151.3, -35.2)


def ct():
    return gsw.CT_from_t(sa(), T, P)


# The GSW package's functions for the same quantity; the same library
# computes both, to a relative 1e-12. TEOS-10 exact takes sigma0 and sound
# speed from the Gibbs function, the 48-term method from its polynomial.
GSW_ROWS = [
    ("exact", "conservative_temperature", lambda: ct()),
    ("polynomial", "conservative_temperature", lambda: ct()),
    ("exact", "potential_temperature", lambda: gsw.pt0_from_t(sa(), T, P)),
    ("polynomial", "potential_temperature", lambda: gsw.pt0_from_t(sa(), T, P)),
    ("exact", "sigma0", lambda: gsw.pot_rho_t_exact(sa(), T, P, 0) - 1000),
    ("polynomial", "sigma0", lambda: gsw.sigma0(sa(), ct())),
    ("exact", "sound_speed", lambda: gsw.sound_speed_t_exact(sa(), T, P)),
    ("polynomial", "sound_speed", lambda: gsw.sound_speed(sa(), ct(), P)),
    ("exact", "freezing_temperature", lambda: gsw.t_freezing(sa(), P, 1)),  # air-saturated
    ("polynomial", "freezing_temperature", lambda: gsw.t_freezing(sa(), P, 1)),
]


@pytest.mark.parametrize("method, name, expected", GSW_ROWS)
def test_each_new_result_as_gsw_computes_it(method, name, expected):
    result = thalwen.convert(**CAST, method=method, outputs=name)
    assert result._fields == (name,)
    assert np.allclose(getattr(result, name), expected(), rtol=1e-12, atol=0)


# IES-80: UNESCO Technical Papers in Marine Science 44 (1983), subprogram TF,
# S 40, P 500: -2.588567 °C, to half a unit of its last digit. The report's
# THETA and SVEL check values are at 40 °C, beyond the 35 °C IES-80 accepts;
# the engine's tests hold them, and the command line's comparison (test_conversion) the module's.
def test_ies80_freezing_temperature_is_the_unesco_check_value_and_has_no_conservative_temperature():
    result = thalwen.convert(pressure=500, temperature=10, salinity=40, method="ies80",
                             outputs=["freezing_temperature", "conservative_temperature"])
    assert result.freezing_temperature == pytest.approx(-2.588567, abs=5e-7)
    assert np.isnan(result.conservative_temperature)


def test_derived_temperatures_follow_fahrenheit():
    celsius = thalwen.convert(**CAST, outputs=DERIVED)
    fahrenheit = thalwen.convert(**CAST | dict(temperature=T * 1.8 + 32), fahrenheit=True, outputs=DERIVED)
    for name in ("conservative_temperature", "potential_temperature", "freezing_temperature"):
        assert np.allclose(getattr(fahrenheit, name), getattr(celsius, name) * 1.8 + 32, rtol=1e-12), name
    assert np.allclose(fahrenheit.sigma0, celsius.sigma0, rtol=1e-12)


@pytest.mark.parametrize("method", ["exact", "polynomial", "ies80"])
def test_the_fields_asked_for_in_their_order_each_as_alone_or_without_outputs(method):
    given = CAST | dict(temperature=[18.2, NAN, 40, 1.5998])  # a missing sample, a clamped one
    every = list(reversed(SAMPLE + DERIVED + ("clamped",)))
    chosen = thalwen.convert(**given, method=method, outputs=every, jobs=2)
    assert chosen._fields == tuple(every)
    plain = thalwen.convert(**given, method=method)
    for name in SAMPLE:
        assert np.array_equal(getattr(chosen, name), getattr(plain, name), equal_nan=True), name
    for name in DERIVED:
        alone = getattr(thalwen.convert(**given, method=method, outputs=[name]), name)
        assert np.array_equal(getattr(chosen, name), alone, equal_nan=True), name
        assert np.isnan(alone[1])
    assert chosen.clamped.keys() == given.keys()  # of the inputs given alone
    for name, flags in chosen.clamped.items():
        assert np.array_equal(flags, plain.clamped[name]), name
    assert chosen.clamped["temperature"].tolist() == [False, False, True, False]


def test_only_the_results_asked_for_are_there():
    result = thalwen.convert(**CAST, outputs=("sigma0", "density"))
    assert result._fields == ("sigma0", "density")
    with pytest.raises(AttributeError):
        result.clamped


def room(*shape, dtype=float):
    return np.full(shape, -1, dtype=dtype)


@pytest.mark.parametrize("given, outputs, make_out", [
    (CAST, "sigma0", lambda: room(4)),
    (CAST, ["density", "sigma0"], lambda: (None, room(4))),
    (CAST, ["sound_speed", "clamped"], lambda: (room(4), {"temperature": room(4, dtype=bool)})),
    (CAST | dict(pressure=P[:, None]), ["density"], lambda: (room(4, 4),)),  # broadcast to (4, 4)
    (measured(dict(salinity=35)), ["density", "sigma0"], lambda: (room(), None)),  # scalars: the room given stays
])
def test_out_is_filled_and_returned_as_without_it(given, outputs, make_out):
    out = make_out()
    result = thalwen.convert(**given, outputs=outputs, out=out)
    expected = thalwen.convert(**given, outputs=outputs)
    entries = out if isinstance(out, tuple) else (out,)
    for name, entry in zip(result._fields, entries):
        value, other = getattr(result, name), getattr(expected, name)
        if name == "clamped":
            assert value["temperature"] is entry["temperature"] and value.keys() == other.keys()
            value, other = value["temperature"], other["temperature"]
        elif entry is not None:
            assert value is entry
        assert np.array_equal(value, other)


def test_an_input_given_again_as_out_is_converted_in_place():
    temperature = T.copy()
    result = thalwen.convert(**CAST | dict(temperature=temperature), outputs="potential_temperature", out=temperature)
    assert result.potential_temperature is temperature
    assert np.array_equal(temperature, thalwen.convert(**CAST, outputs="potential_temperature").potential_temperature)


read_only = room(4)
read_only.flags.writeable = False
shared = room(8)

BAD = [  # outputs= and out=, the exception, what its message must name
    (dict(outputs="sigma_0"), ValueError, ["outputs", "'sigma_0'", "sigma0", "conservative_temperature", "clamped"]),
    (dict(outputs="soundSpeed"), ValueError, ["'soundSpeed'", "'sound_speed'"]),  # the command line's name
    (dict(outputs=["density", "density"]), ValueError, ["outputs", "'density'", "twice"]),
    (dict(outputs=[]), ValueError, ["outputs"]),
    (dict(outputs=["density", 3]), TypeError, ["outputs", "3"]),
    (dict(outputs=3), TypeError, ["outputs", "3"]),
    (dict(outputs="density", out=room(3)), ValueError, ["out (density)", "(3,)", "(4,)"]),
    (dict(outputs="density", out=room(4, dtype=np.float32)), ValueError, ["out (density)", "float32", "float64"]),
    (dict(outputs="density", out=room(8)[::2]), ValueError, ["out (density)", "contiguous"]),
    (dict(outputs="density", out=read_only), ValueError, ["out (density)", "read-only"]),
    (dict(outputs="density", out=[1.0] * 4), ValueError, ["out", "4 entries", "1 result"]),
    (dict(outputs=["density", "sigma0"], out=room(4)), ValueError, ["out", "2 results"]),
    (dict(outputs=["density", "sigma0"], out=(None,)), ValueError, ["out", "1 entry", "density, sigma0"]),
    (dict(outputs=["density", "sigma0"], out=(None, [0.0] * 4)), TypeError, ["out[1] (sigma0)", "numpy array"]),
    (dict(temperature=shared[:4], outputs="density", out=shared[1:5]), ValueError,
     ["out (density)", "overlaps", "temperature"]),
    (dict(outputs=["density", "sigma0"], out=(shared[:4], shared[2:6])), ValueError,
     ["out[0] (density)", "out[1] (sigma0)", "overlap"]),
    (dict(outputs=["density", "clamped"], out=(None, room(4, dtype=bool))), TypeError, ["out[1] (clamped)", "dict"]),
    (dict(outputs=["density", "clamped"], out=(None, {"density": room(4, dtype=bool)})), ValueError,
     ["out[1] (clamped)", "'density'", "not an input given"]),
    (dict(outputs=["density", "clamped"], out=(None, {"salinity": room(4)})), ValueError,
     ["out[1] (clamped)['salinity']", "float64", "bool"]),
]


@pytest.mark.parametrize("keywords, exception, named", BAD)
def test_bad_outputs_and_out_are_named_and_nothing_is_written(keywords, exception, named):
    with pytest.raises(exception) as raised:
        thalwen.convert(**CAST | keywords)
    for text in named:
        assert text in str(raised.value)
    assert (shared == -1).all()


def test_help_names_the_new_results_outputs_and_out():
    doc = thalwen.convert.__doc__
    for text in DERIVED + ("outputs : ", "out : ", "[m/s]", "clamped"):
        assert text in doc, text
