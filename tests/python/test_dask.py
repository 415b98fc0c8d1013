"""A chunked conversion on a dask.distributed cluster of two local workers,
through dask.array.map_blocks and xarray.apply_ufunc, is the unchunked one."""
from functools import partial

import dask.array as da
import numpy as np
import thalwen
import xarray as xr
from distributed import Client, LocalCluster


def quantity_of(name, temperature, conductivity, pressure):
    return getattr(thalwen.convert(temperature=temperature, conductivity=conductivity, pressure=pressure,
                                   latitude=-35.2, longitude=151.3, jobs=1), name)


def test_chunks_on_two_workers_give_the_unchunked_result(tmp_path):
    rng = np.random.default_rng(21)
    temperature, conductivity = rng.uniform(-2, 30, (40, 50)), rng.uniform(0, 60, (40, 50))
    pressure = np.linspace(0, 2000, 50)
    expected = thalwen.convert(temperature=temperature, conductivity=conductivity, pressure=pressure,
                               latitude=-35.2, longitude=151.3)
    # Workers in threads of this process talk in memory: no port, no child
    # process, nothing left behind; every wait is bounded.
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=False, dashboard_address=None,
                      local_directory=tmp_path) as cluster, Client(cluster, timeout=60) as client:
        assert len(client.scheduler_info()["workers"]) == 2
        chunked = [da.from_array(values, chunks=(10, 25)[-values.ndim:]) for values in (temperature, conductivity,
                                                                                       pressure)]
        salinity = da.map_blocks(partial(quantity_of, "salinity"), *chunked, dtype=float)
        labelled = [xr.DataArray(values, dims=("time", "PRES")[-values.ndim:]) for values in chunked]
        density = xr.apply_ufunc(partial(quantity_of, "density"), *labelled, dask="parallelized", output_dtypes=[float])
        salinity, density = client.compute([salinity, density.data])
        assert np.array_equal(salinity.result(timeout=60), expected.salinity)
        assert np.array_equal(density.result(timeout=60), expected.density)
