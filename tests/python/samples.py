"""What the tests of one rule give thalwen.convert besides: the measurements
every conversion needs."""

SALINITY_RELATED = ("salinity", "density", "conductivity", "specific_gravity")


def measured(given):
    """given and the measurements a conversion needs that it lacks."""
    salinity = {} if given.keys() & SALINITY_RELATED else dict(salinity=35)
    return dict(pressure=10, temperature=10, latitude=30, longitude=-30, **salinity) | given
