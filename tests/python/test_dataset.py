"""thalwen.convert_dataset: a profile-shaped Dataset gives, variable by
variable, what thalwen.convert gives on the flattened arrays; its gaps give
NaN, never a number; the results say what they are; dask stays lazy."""
import os
import subprocess

import dask
import numpy as np
import pytest
import thalwen
import xarray as xr

NAN = float("nan")
FILL = 99999.0
LEVELS = ("N_PROF", "N_LEVELS")
PRES = [[0, 10, 20], [5, 15, FILL]]  # the last level of the second profile is a fill value
TEMP = [[10.0, 9.0, 8.0], [12.0, 11.0, 10.0]]
CNDC = [[4.1, 4.0, 3.9], [4.2, 4.1, 4.0]]  # S/m
LATITUDE, LONGITUDE = [-35.2, 10.0], [151.3, -30.0]


def profiles(**extra):
    return xr.Dataset({
        "PRES": (LEVELS, np.array(PRES, dtype="float32"), {"units": "decibar", "_FillValue": np.float32(FILL)}),
        "TEMP": (LEVELS, np.array(TEMP), {"units": "degree_Celsius"}),
        "CNDC": (LEVELS, np.array(CNDC)),  # the archives' unit, S/m
        "LATITUDE": ("N_PROF", np.array(LATITUDE)),
        "LONGITUDE": ("N_PROF", np.array(LONGITUDE)),
        **extra}, attrs={"history": "2026-01-01T00:00:00Z: made"})


def flattened(outputs, **given):
    """thalwen.convert on the samples of profiles(), the fill cell NaN."""
    inputs = dict(pressure=np.where(np.equal(PRES, FILL), NAN, PRES).ravel(), temperature=np.ravel(TEMP),
                  conductivity=np.ravel(CNDC), conductivity_unit="S/m",
                  latitude=np.repeat(LATITUDE, 3), longitude=np.repeat(LONGITUDE, 3)) | given
    return thalwen.convert(**inputs, outputs=outputs)


def as_netcdf_reads_it(ds, path):
    ds.to_netcdf(path)
    return xr.open_dataset(path)


def undecoded(ds, path):
    ds.to_netcdf(path)
    return xr.open_dataset(path, mask_and_scale=False)


@pytest.mark.parametrize("dataset", [  # how the fill value reaches convert_dataset
    lambda path: profiles(),
    lambda path: as_netcdf_reads_it(profiles(), path),  # made NaN by xarray's decoding
    lambda path: undecoded(profiles(), path),  # left in the _FillValue attribute
])
def test_a_profile_dataset_converts_as_its_flattened_arrays(dataset, tmp_path):
    converted = thalwen.convert_dataset(dataset(tmp_path / "profiles.nc"))
    expected = flattened(["salinity", "absolute_salinity", "sigma0", "sound_speed"])
    for name, keyword in [("practicalSalinity", "salinity"), ("absoluteSalinity", "absolute_salinity"),
                          ("sigma0", "sigma0"), ("soundSpeed", "sound_speed")]:
        assert converted[name].dims == LEVELS
        np.testing.assert_array_equal(converted[name].values.ravel(), getattr(expected, keyword))
    assert np.isnan(converted.sigma0.values[1, 2])


@pytest.mark.parametrize("options, keywords", [  # thalwen-convert's, convert_dataset's
    ([], {}),
    (["--method", "ies80", "--fahrenheit", "--reference-temperature", "60"],
     dict(method="ies80", fahrenheit=True, reference_temperature=60)),
    (["--outputs", "conductivity,sigma0", "--conductivity-unit", "uS/cm", "--missing", "15"],
     dict(outputs=["conductivity", "sigma0", "clamped"], conductivity_unit="uS/cm", missing=15)),
    (["--source", "practicalSalinity", "--column", "temperature=T", "--latitude", "-35.2"],
     dict(source="salinity", columns={"temperature": "T"}, latitude=-35.2)),
])
def test_the_twin_of_thalwen_convert_on_a_netcdf_file(options, keywords, tmp_path):
    ds = profiles(PSAL=(LEVELS, np.full((2, 3), 35.0)), T=(LEVELS, np.add(TEMP, 273.15), {"units": "K"}))
    ds.TEMP[0, 1] = 40  # brought to 35 °C
    if "latitude" in keywords:
        ds = ds.drop_vars("LATITUDE")
    if "source" not in keywords:
        ds = ds.drop_vars("PSAL")
    ds.to_netcdf(tmp_path / "in.nc")
    subprocess.run([os.environ["THALWEN_CONVERT"], tmp_path / "in.nc", "-o", tmp_path / "out.nc", *options],
                   capture_output=True)
    written = xr.open_dataset(tmp_path / "out.nc")
    converted = thalwen.convert_dataset(xr.open_dataset(tmp_path / "in.nc"), **keywords)
    assert list(converted.data_vars) == list(written.data_vars) and converted.sigma0.count() >= 4
    for name in written.data_vars:
        xr.testing.assert_identical(converted[name], written[name])


@pytest.mark.filterwarnings("ignore::thalwen.ImpossibleValueWarning")  # 99999 dbar, deeper than any ocean
@pytest.mark.parametrize("attributes, gaps", [  # of PRES; the samples without results
    (dict(missing_value=15), [(1, 1)]),
    (dict(_FillValue=[10, 0]), [(0, 0), (0, 1)]),
    (dict(valid_max=17), [(0, 2)]),
    (dict(valid_min=1), [(0, 0)]),
    (dict(valid_range=[1, 17]), [(0, 0), (0, 2)]),
])
def test_fill_values_and_valid_ranges_left_in_the_attributes_are_gaps(attributes, gaps):
    ds = profiles(PRES=(LEVELS, np.array(PRES), {"units": "dbar", **attributes}))
    missing = np.isnan(thalwen.convert_dataset(ds, outputs="sigma0").sigma0.values)
    assert sorted(zip(*np.nonzero(missing))) == sorted(gaps + [(1, 2)])


def test_the_results_say_what_they_are_and_the_input_is_untouched():
    ds = profiles()
    converted = thalwen.convert_dataset(ds, method="polynomial", outputs=["density", "conservative_temperature"],
                                        fahrenheit=True, reference_temperature=15)
    assert converted.density.attrs == {
        "standard_name": "sea_water_density", "long_name": "Density", "units": "kg m-3",
        "method": "TEOS-10 48 term", "reference_temperature": "15 degF"}
    assert converted.conservativeTemperature.attrs["units"] == "degF"
    assert converted.density.encoding["_FillValue"] == pytest.approx(9.969209968386869e36)
    first, line = converted.attrs["history"].split("\n")
    assert first == "2026-01-01T00:00:00Z: made" and line.endswith(
        "Z: thalwen.convert_dataset(method='polynomial', outputs=['density', 'conservative_temperature'], "
        "fahrenheit=True, reference_temperature=15)")
    assert list(ds.data_vars) == ["PRES", "TEMP", "CNDC", "LATITUDE", "LONGITUDE"]
    assert ds.attrs["history"] == first
    again = thalwen.convert_dataset(converted, outputs="density", source="conductivity")
    assert "density_1" in again and again.density_1.attrs["method"] == "TEOS-10 exact"


def test_a_dask_backed_dataset_stays_lazy_and_computes_the_same():
    def refuse(*args, **kwargs):
        raise AssertionError("computed before asked")

    with dask.config.set(scheduler=refuse):
        converted = thalwen.convert_dataset(profiles().chunk({"N_PROF": 1}))
        with pytest.raises(TypeError, match="missing: expected a number"):  # now, not when computed
            thalwen.convert_dataset(profiles().chunk({"N_PROF": 1}), missing="x")
    assert converted.sigma0.chunks == ((1, 1), (3,))
    np.testing.assert_array_equal(converted.sigma0.values, thalwen.convert_dataset(profiles()).sigma0.values)


@pytest.mark.parametrize("changed, given, expected", [  # what is read, and how
    (dict(TEMP_ADJUSTED=(LEVELS, np.add(TEMP, 1))), {}, dict(temperature=np.add(TEMP, 1).ravel())),
    (dict(T=(LEVELS, np.add(TEMP, 273.15), {"units": "K"})), dict(columns={"temperature": "T"}), {}),
    (dict(C=(LEVELS, np.multiply(CNDC, 10), {"units": "mS/cm"})), dict(columns={"conductivity": "C"}), {}),
    (dict(PSAL=(LEVELS, np.full((2, 3), 35.0))), dict(source="conductivity"), {}),
    (dict(PSAL=(LEVELS, np.full((2, 3), 35.0))), dict(source="salinity"), dict(salinity=35, conductivity=None)),
    (dict(x=(LEVELS, np.add(TEMP, 2), {"standard_name": "sea_water_temperature"})), {},
     dict(temperature=np.add(TEMP, 2).ravel())),
])
def test_the_variables_read(changed, given, expected):
    converted = thalwen.convert_dataset(profiles(**changed), outputs="sigma0", **given)
    np.testing.assert_array_equal(converted.sigma0.values.ravel(), flattened("sigma0", **expected).sigma0)


def test_keywords_give_what_the_dataset_lacks():
    ds = profiles().drop_vars(["LATITUDE", "LONGITUDE"])
    latitude = xr.DataArray([-35.2, 10.0], dims="N_PROF", attrs={"units": "degrees_north"})
    converted = thalwen.convert_dataset(ds, outputs="sigma0", latitude=latitude, longitude=151.3)
    np.testing.assert_array_equal(converted.sigma0.values.ravel(), flattened("sigma0", longitude=151.3).sigma0)


@pytest.mark.parametrize("drop, given, error, words", [  # refused, naming what is wrong
    (["TEMP"], {}, ValueError, ["temperature: no variable named temperature, TEMP", "temperature="]),
    (["LATITUDE"], {}, ValueError, ["latitude: no variable", "LATITUDE", "method='ies80'"]),
    (["CNDC"], {}, ValueError, ["no variable gives a salinity-related input", "PSAL", "salinity="]),
    ([], dict(latitude=10), ValueError, ["latitude=: variable 'LATITUDE' gives latitude already"]),
    ([], dict(salinity=35), ValueError, ["variable 'CNDC' (conductivity) and salinity each give"]),
    ([], dict(columns={"temperature": "NONE"}), ValueError, ["columns: 'temperature'", "no variable 'NONE'"]),
    ([], dict(source="absolute_salinity"), ValueError, ["source: 'absolute_salinity' is not one of"]),
    ([], dict(latitude=[1, 2]), TypeError, ["latitude: expected a number or an xarray DataArray"]),
    ([], dict(qc=1), ValueError, ["qc: none of the variables read declares quality flags"]),
    ([], dict(outputs="method"), ValueError, ["outputs: 'method' is not one of"]),
    ([], dict(temprature=1), TypeError, ["unexpected keyword argument 'temprature'"]),
    (["PRES", "TEMP", "CNDC", "LATITUDE", "LONGITUDE"],
     dict(pressure=1, temperature=2, salinity=35, latitude=0, longitude=0), ValueError, ["for numbers alone, use convert()"]),
])
def test_what_cannot_be_converted_is_refused(drop, given, error, words):
    with pytest.raises(error) as raised:
        thalwen.convert_dataset(profiles().drop_vars(drop), **given)
    for word in words:
        assert word in str(raised.value)


@pytest.mark.parametrize("changed, words", [  # never a plausible wrong number
    (dict(TEMP=(LEVELS, np.array(TEMP), {"units": "kg"})), ["variable 'TEMP' (its units attribute)", "'kg'"]),
    (dict(TEMP=(LEVELS, np.array(TEMP), {"scale_factor": 0.01})), ["variable 'TEMP': packed numbers"]),
    (dict(TEMP=(LEVELS, np.full((2, 3), "x"))), ["variable 'TEMP' holds <U1, not numbers"]),
    (dict(TEMP_ADJUSTED=(LEVELS, np.array(TEMP)), TEMP_adjusted=(LEVELS, np.array(TEMP))),
     ["variables 'TEMP_ADJUSTED' and 'TEMP_adjusted' both give temperature"]),
])
def test_variables_that_would_mislead_are_refused(changed, words):
    with pytest.raises(ValueError) as raised:
        thalwen.convert_dataset(profiles(**changed))
    for word in words:
        assert word in str(raised.value)


def test_quality_flags_keep_only_the_samples_flagged_so():
    flags = xr.DataArray(np.array([[b"1", b"4", b"1"], [b"1", b"1", b"2"]]), dims=LEVELS,
                         attrs={"flag_values": "0 1 2 3 4", "flag_meanings": "none good probably bad bad"})
    ds = profiles(TEMP_QC=flags)
    ds["TEMP"].attrs["ancillary_variables"] = "TEMP_QC"
    kept = thalwen.convert_dataset(ds, qc=["1", 2], outputs="sigma0").sigma0.values
    assert np.isnan(kept).tolist() == [[False, True, False], [False, False, True]]  # the last a fill value
    with pytest.raises(ValueError, match=r"qc: '7' is none of the flags of variable 'TEMP_QC': 0 1 2 3 4"):
        thalwen.convert_dataset(ds, qc=7)
