# Finds UDUNITS-2, the units library of the CF conventions: Debian's
# libudunits2-dev, or a build named by the user:
#   -DUDUNITS2_INCLUDE_DIR=/path/to/include -DUDUNITS2_LIBRARY=/path/to/libudunits2.a
# UDUNITS2_LIBRARY may be a list, for a static library with the expat it
# reads its database with.
#
# Defines UDUNITS2_FOUND and the imported target UDUNITS2::UDUNITS2. The
# library reads its unit database (XML) at run time: Debian's libudunits2-data,
# or the file that the environment variable UDUNITS2_XML_PATH names.

# Some distributions keep the header in a folder of its own.
find_path(UDUNITS2_INCLUDE_DIR udunits2.h PATH_SUFFIXES udunits2)
find_library(UDUNITS2_LIBRARY NAMES udunits2)

set(_udunits2_how "name a build with -DUDUNITS2_INCLUDE_DIR and -DUDUNITS2_LIBRARY")
if(NOT WIN32)
  set(_udunits2_how "install it with 'scripts/setup' (Debian package libudunits2-dev), or ${_udunits2_how}")
endif()
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(UDUNITS2
  REQUIRED_VARS UDUNITS2_LIBRARY UDUNITS2_INCLUDE_DIR
  REASON_FAILURE_MESSAGE "UDUNITS-2 reads the unit texts of data files: ${_udunits2_how}.")

if(UDUNITS2_FOUND AND NOT TARGET UDUNITS2::UDUNITS2)
  add_library(UDUNITS2::UDUNITS2 INTERFACE IMPORTED)
  set_target_properties(UDUNITS2::UDUNITS2 PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${UDUNITS2_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES "${UDUNITS2_LIBRARY}")
endif()
