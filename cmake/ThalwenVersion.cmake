# The version of Thalwen is written once, as the version of the top CMake
# project; the code, the resource script and the manifest take it from two
# files generated from it.
#
#   thalwen_version_files(VERSION DIRECTORY)
#     writes DIRECTORY/version.h and DIRECTORY/thalwen.manifest for VERSION
#     (and the GSW_VERSION that find_package(GSW) set before) and defines the
#     INTERFACE target thalwen_version, whose users (code and resource script
#     alike) find both files in DIRECTORY.

set(THALWEN_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR}/../resources)

function(thalwen_version_files version directory)
  if(NOT DEFINED GSW_VERSION)
    message(FATAL_ERROR "thalwen_version_files: find the GSW library first, for its version")
  endif()
  # A version block and a manifest want four numbers.
  string(REPLACE "." ";" numbers "${version}")
  list(LENGTH numbers count)
  while(count LESS 4)
    list(APPEND numbers 0)
    math(EXPR count "${count} + 1")
  endwhile()
  set(THALWEN_VERSION "${version}")
  list(JOIN numbers "," THALWEN_VERSION_NUMBERS)
  list(JOIN numbers "." THALWEN_VERSION_DOTTED4)
  configure_file(${THALWEN_RESOURCES_DIR}/version.h.in ${directory}/version.h @ONLY)
  configure_file(${THALWEN_RESOURCES_DIR}/thalwen.manifest.in ${directory}/thalwen.manifest @ONLY)
  if(NOT TARGET thalwen_version)
    add_library(thalwen_version INTERFACE)
    target_include_directories(thalwen_version INTERFACE ${directory})
  endif()
endfunction()
