# Finds the TEOS-10 GSW C library.
#
# A standalone build of the library named by the user wins:
#   -DGSW_LIBRARY=/path/to/libgswteos-10.so [-DGSW_VERSION=3.06.16]
# Otherwise we take the compiled library inside Debian's python3-gsw: its
# extension module exports every gsw_* C function but leaves the Python C API
# unresolved, so a program is linked together with libpython. A Python
# extension module is not: the interpreter that loads it lends the library
# that API, and Debian's python3 has libpython built in, so a second copy
# loaded beside it would hold a second interpreter state.
#
# Defines GSW_FOUND, GSW_VERSION, GSW_LINK_LIBRARIES (what a program links
# besides the library: libpython, or nothing) and the imported target
# GSW::GSW, which hands GSW_LINK_LIBRARIES to programs only.

set(GSW_VERSION "" CACHE STRING "Version of the GSW library given by GSW_LIBRARY")

if(GSW_LIBRARY)
  if(NOT EXISTS "${GSW_LIBRARY}")
    message(FATAL_ERROR "GSW_LIBRARY=${GSW_LIBRARY} does not exist")
  endif()
  if(NOT GSW_VERSION)
    set(GSW_VERSION "unknown")
  endif()
  set(GSW_LINK_LIBRARIES "")
elseif(WIN32)
  # Windows has no Debian package to take the library from: it must be named.
  set(GSW_VERSION "unknown")
else()
  # Python packages installed by apt live in dist-packages; ask the system
  # interpreter first, then look in the usual places.
  set(_gsw_dirs "")
  find_program(GSW_SYSTEM_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
  if(GSW_SYSTEM_PYTHON)
    execute_process(
      COMMAND "${GSW_SYSTEM_PYTHON}" -c "import site, sys; print(';'.join(site.getsitepackages()))"
      OUTPUT_VARIABLE _gsw_site OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    list(APPEND _gsw_dirs ${_gsw_site})
  endif()
  file(GLOB _gsw_guess LIST_DIRECTORIES true /usr/lib/python3/dist-packages /usr/local/lib/python3*/dist-packages)
  list(APPEND _gsw_dirs ${_gsw_guess})

  foreach(_dir IN LISTS _gsw_dirs)
    file(GLOB _gsw_module "${_dir}/gsw/_gsw_ufuncs*.so")
    if(_gsw_module)
      list(GET _gsw_module 0 GSW_LIBRARY)
      set(_gsw_package_dir "${_dir}/gsw")
      break()
    endif()
  endforeach()

  if(NOT GSW_LIBRARY)
    message(FATAL_ERROR
      "The TEOS-10 GSW library was not found. Install it with 'scripts/setup' "
      "(Debian package python3-gsw, plus libpython3-dev), or name a standalone "
      "build with -DGSW_LIBRARY=/path/to/library.")
  endif()

  # The module's file name tells which Python it was built for: cpython-311 -> python3.11.
  get_filename_component(_gsw_name "${GSW_LIBRARY}" NAME)
  if(NOT _gsw_name MATCHES "cpython-3([0-9]+)")
    message(FATAL_ERROR "Cannot tell the Python version of ${GSW_LIBRARY}")
  endif()
  set(_gsw_python "python3.${CMAKE_MATCH_1}")
  find_library(GSW_PYTHON_LIBRARY NAMES ${_gsw_python})
  if(NOT GSW_PYTHON_LIBRARY)
    message(FATAL_ERROR
      "${GSW_LIBRARY} needs lib${_gsw_python}.so to link. Install it with 'scripts/setup' "
      "(Debian package libpython3-dev).")
  endif()
  set(GSW_LINK_LIBRARIES "${GSW_PYTHON_LIBRARY}")

  file(STRINGS "${_gsw_package_dir}/_version.py" _gsw_version_line REGEX "__version__")
  if(_gsw_version_line MATCHES "['\"]([^'\"]+)['\"]")
    set(GSW_VERSION "${CMAKE_MATCH_1}")
  else()
    set(GSW_VERSION "unknown")
  endif()
endif()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(GSW REQUIRED_VARS GSW_LIBRARY VERSION_VAR GSW_VERSION)

if(GSW_FOUND AND NOT TARGET GSW::GSW)
  add_library(GSW::GSW UNKNOWN IMPORTED)
  set_target_properties(GSW::GSW PROPERTIES
    IMPORTED_LOCATION "${GSW_LIBRARY}"
    INTERFACE_LINK_LIBRARIES "$<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:${GSW_LINK_LIBRARIES}>")
endif()
