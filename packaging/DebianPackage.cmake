# The Debian packages, made by CPack from what 'cmake --install' lays out:
#   cpack --config build/CPackConfig.cmake    (scripts/package does it all)
# thalwen holds the window and thalwen-convert; python3-thalwen, when the
# Python module is built, holds the module: a notebook server or a cluster's
# worker wants it without the window and its Wine, and it belongs to one
# version of Python, which the programs do not.
# The library dependencies are computed by dpkg-shlibdeps. Wine and the
# package that holds the GSW library are named here: the program is loaded by
# Wine, not by the system's loader, and Debian's GSW library (inside
# python3-gsw) has no shared-library information to compute a dependency from.

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL thalwen)
set(CPACK_PACKAGE_NAME thalwen)
set(CPACK_DEBIAN_THALWEN_PACKAGE_NAME thalwen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Thalwen developers <thalwen@example.org>")
set(CPACK_PACKAGE_VENDOR "The Thalwen developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CC BY-NC-ND does not meet the Debian Free Software Guidelines.
set(CPACK_DEBIAN_PACKAGE_SECTION non-free/science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://thalwen.example.org/other-ziziv/thalwen.html)
# Each package's summary is the first line of its description.
set(CPACK_DEBIAN_THALWEN_DESCRIPTION "seawater converter for salinity, density and conductivity
Thalwen converts the properties of one seawater sample. Given the sea
pressure, the position, the in-situ temperature and any one of Practical
Salinity, in-situ density, specific gravity or electrical conductivity, it
derives the others and Absolute Salinity, by TEOS-10 (the exact Gibbs
function or the polynomial density) or by IES-80.
.
The package holds the English and French window, which runs under Wine in a
Wine prefix of its own, and thalwen-convert, the same conversions on the
command line for one sample or a whole CSV file.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs name Debian's GSW library by its absolute path (it has no
# SONAME); dpkg-shlibdeps finds such a library only under a search directory
# that the path can be appended to, which is "/".
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS /)

set(gsw_depends "")
execute_process(COMMAND dpkg-query --search ${GSW_LIBRARY}
                OUTPUT_VARIABLE gsw_owner ERROR_QUIET RESULT_VARIABLE gsw_not_owned)
if(gsw_not_owned EQUAL 0 AND gsw_owner MATCHES "^([^:,]+):")
  set(gsw_depends "${CMAKE_MATCH_1} (>= ${GSW_VERSION})")
else()
  message(STATUS "No Debian package holds ${GSW_LIBRARY}: the Debian packages cannot depend on it")
endif()

# UDUNITS-2 reads the unit texts of data files, with the unit database that
# Debian ships apart from the library and that the library reads at run time:
# dpkg-shlibdeps cannot see that one.
set(udunits_depends libudunits2-0 libudunits2-data)

set(depends ${gsw_depends} ${udunits_depends})
if(THALWEN_UI)
  # wine64 runs the 64-bit program (wine alone may bring only the 32-bit
  # Wine); fonts-wine holds the fonts Wine draws the main window and the
  # window frames with, fonts-liberation the metric twin of the Arial that
  # the About, Author and language boxes name, and the scalable face of the
  # main window at the scales MS Sans Serif has no size for; xdg-utils
  # holds xdg-open, to which Wine hands the documents and web pages the
  # program opens; x11-xserver-utils holds xrdb, which tells the launcher
  # the desktop's scale; x11-utils holds xmessage, the launcher's notice
  # while Wine sets the prefix up.
  list(APPEND depends wine wine64 fonts-wine fonts-liberation xdg-utils x11-xserver-utils x11-utils)
endif()
list(JOIN depends ", " CPACK_DEBIAN_THALWEN_PACKAGE_DEPENDS)

if(TARGET thalwen_python)
  list(APPEND CPACK_COMPONENTS_ALL python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-thalwen)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SOURCE thalwen)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION non-free/python)
  set(CPACK_DEBIAN_PYTHON_DESCRIPTION "seawater conversions for Python and numpy
The Python 3 module thalwen converts the properties of seawater samples over
numpy arrays, pandas Series and xarray DataArrays, and on dask clusters: from
the sea pressure, the position, the in-situ temperature and any one of
Practical Salinity, in-situ density, specific gravity or electrical
conductivity, it derives the others and Absolute Salinity, by TEOS-10 or
IES-80, on every core, with the numbers of thalwen-convert.")
  # The module is built for one version of Python and its numpy's binary
  # interface; it calls the GSW library, like the programs.
  set(python_depends "python3 (>= ${THALWEN_PYTHON_VERSION}~)" "python3 (<< ${THALWEN_PYTHON_NEXT_VERSION})"
      python3-numpy python3-numpy-abi9 ${gsw_depends} ${udunits_depends})
  list(JOIN python_depends ", " CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS)
endif()

include(CPack)
