# The warnings every target of ours is compiled with, in one place for the
# native build, the winelib build, the fuzz targets and the MinGW check.
#
# A warning is an error only when THALWEN_WERROR asks for it: scripts/test and
# CI turn it on, so that our own builds stay clean; a user's or a
# distribution's build leaves it off, so that a warning a newer or another
# compiler invents never stops them.
#
#   include(ThalwenWarnings)          defines the INTERFACE target thalwen_warnings
#   cmake [-DTHALWEN_WERROR=ON] -P cmake/ThalwenWarnings.cmake
#                                     prints the flags on one line (for scripts)

option(THALWEN_WERROR "Treat compiler warnings as errors (developer and CI builds)" OFF)

set(THALWEN_WARNING_FLAGS
  -Wall     # the common warnings
  -Wextra)  # and the less common ones (unused parameters, sign compare, ...)
if(THALWEN_WERROR)
  list(APPEND THALWEN_WARNING_FLAGS -Werror)
endif()

if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${THALWEN_WARNING_FLAGS})
  return()
endif()

# Every target of ours links this; third-party code does not see these flags.
if(NOT TARGET thalwen_warnings)
  add_library(thalwen_warnings INTERFACE)
  target_compile_options(thalwen_warnings INTERFACE ${THALWEN_WARNING_FLAGS})
endif()
