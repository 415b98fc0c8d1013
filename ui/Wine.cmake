# The Win32 interface on Linux: built by Wine's winelib toolchain in a project
# of its own (winelib/), whose compiler is wineg++ and which links the same
# library targets as this build. Its tests run under Wine on a virtual X
# display and are registered here, so one ctest runs everything.

find_program(WINEGXX NAMES wineg++ wineg++-stable REQUIRED)
find_program(WRC NAMES wrc wrc-stable REQUIRED)
find_program(WINE_LOADER NAMES wine REQUIRED)
find_program(WINESERVER NAMES wineserver PATHS /usr/lib/wine REQUIRED)
find_program(XVFB_RUN NAMES xvfb-run REQUIRED)

include(ExternalProject)
ExternalProject_Add(thalwen_winelib
  SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/winelib
  BINARY_DIR ${CMAKE_CURRENT_BINARY_DIR}/winelib
  CMAKE_CACHE_ARGS
    -DCMAKE_CXX_COMPILER:FILEPATH=${WINEGXX}
    -DCMAKE_BUILD_TYPE:STRING=${CMAKE_BUILD_TYPE}
    # the user's or the distribution's flags apply to both halves
    -DCMAKE_CXX_FLAGS:STRING=${CMAKE_CXX_FLAGS}
    -DCMAKE_EXE_LINKER_FLAGS:STRING=${CMAKE_EXE_LINKER_FLAGS}
    # wineg++ hides the multiarch directory from CMake's compiler probe
    -DCMAKE_LIBRARY_ARCHITECTURE:STRING=${CMAKE_LIBRARY_ARCHITECTURE}
    -DGTest_DIR:PATH=${GTest_DIR}
    -DTHALWEN_HOST_SIZEOF_VOID_P:STRING=${CMAKE_SIZEOF_VOID_P}
    -DTHALWEN_WERROR:BOOL=${THALWEN_WERROR}
    -DTHALWEN_VERSION:STRING=${PROJECT_VERSION}
    -DTHALWEN_SOURCE_DIR:PATH=${PROJECT_SOURCE_DIR}
    -DTHALWEN_OUTPUT_DIR:PATH=${CMAKE_CURRENT_BINARY_DIR}
    -DGSW_LIBRARY:FILEPATH=${GSW_LIBRARY}
    -DGSW_LINK_LIBRARIES:STRING=${GSW_LINK_LIBRARIES}
    -DGSW_VERSION:STRING=${GSW_VERSION}
    -DWRC:FILEPATH=${WRC}
  # Only the program: running it needs nothing else (the tests come below).
  # The machine is shared: never more than two compilers at once.
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --parallel 2 --target thalwen
  BUILD_ALWAYS TRUE
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${CMAKE_CURRENT_BINARY_DIR}/thalwen.exe ${CMAKE_CURRENT_BINARY_DIR}/thalwen.exe.so)

# The interface tests, in the same winelib build tree, as part of 'all'.
add_custom_target(thalwen_ui_tests ALL
  COMMAND ${CMAKE_COMMAND} --build ${CMAKE_CURRENT_BINARY_DIR}/winelib --parallel 2 --target thalwen_ui_tests
  BYPRODUCTS ${CMAKE_CURRENT_BINARY_DIR}/thalwen_ui_tests.exe ${CMAKE_CURRENT_BINARY_DIR}/thalwen_ui_tests.exe.so
  USES_TERMINAL)
add_dependencies(thalwen_ui_tests thalwen_winelib)

# --- Wine tests ---------------------------------------------------------------------------------
# One Wine prefix in the build tree, created by the first test. The tests share
# it and its wineserver, so they run one after the other.
set(wine_prefix ${CMAKE_CURRENT_BINARY_DIR}/wineprefix)
set(THALWEN_WINE_TEST_TIMEOUT 300 CACHE STRING "Seconds after which a Wine test entry counts as hung")
set(wine_run ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${wine_prefix} ${WINE_LOADER} ${WINESERVER} ${XVFB_RUN})
set(ui_tests ${CMAKE_CURRENT_BINARY_DIR}/thalwen_ui_tests.exe)

add_test(NAME ui.wineprefix COMMAND ${wine_run} ${PROJECT_SOURCE_DIR}/cmake/wine-prefix-setup.sh)
set_tests_properties(ui.wineprefix PROPERTIES
  FIXTURES_SETUP wineprefix RESOURCE_LOCK wineprefix TIMEOUT 600 LABELS wine)

# One ctest entry per test suite: a Wine start costs seconds, one per test would
# cost minutes. Suites are read from the sources, which reconfigure on change.
file(GLOB ui_test_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/ui/*.cpp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ui_test_sources})
set(ui_suites "")
foreach(source IN LISTS ui_test_sources)
  file(STRINGS ${source} test_lines REGEX "^TEST(_F|_P)?\\([A-Za-z0-9_]+,")
  foreach(line IN LISTS test_lines)
    string(REGEX REPLACE "^TEST(_F|_P)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
    if(NOT suite MATCHES "^DISABLED_")
      list(APPEND ui_suites ${suite})
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES ui_suites)
list(REMOVE_ITEM ui_suites SystemLanguageFromLocale)  # registered below, once per locale

foreach(suite IN LISTS ui_suites)
  # Parameterised suites run as PREFIX/Suite.
  add_test(NAME ui.${suite} COMMAND ${wine_run} ${ui_tests} --gtest_filter=${suite}.*:*/${suite}.*)
  # A suite that the program does not hold (not rebuilt, renamed) must not pass unseen.
  set_tests_properties(ui.${suite} PROPERTIES
    FIXTURES_REQUIRED wineprefix RESOURCE_LOCK wineprefix TIMEOUT ${THALWEN_WINE_TEST_TIMEOUT} LABELS wine
    FAIL_REGULAR_EXPRESSION "Running 0 tests")
endforeach()

# The user's language comes from the locale Wine starts in.
foreach(case IN ITEMS "fr_FR.UTF-8|fr" "fr_CA.UTF-8|fr" "de_DE.UTF-8|en" "C.UTF-8|en")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 locale)
  list(GET case 1 expected)
  add_test(NAME ui.SystemLanguage.${locale}
           COMMAND ${CMAKE_COMMAND} -E env LC_ALL=${locale} THALWEN_EXPECTED_SYSTEM_LANGUAGE=${expected}
                   ${wine_run} ${ui_tests} --gtest_filter=SystemLanguageFromLocale.*)
  set_tests_properties(ui.SystemLanguage.${locale} PROPERTIES
    FIXTURES_REQUIRED wineprefix RESOURCE_LOCK wineprefix TIMEOUT ${THALWEN_WINE_TEST_TIMEOUT} LABELS wine)
endforeach()

# At the display scales people use (125, 150 and 200 %), in a prefix of each
# scale, set up as the launcher sets up the desktop's: every text whole, and
# drawn in a face of the scale's size.
foreach(dpi IN ITEMS 120 144 192)
  set(scaled_run ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${wine_prefix}-${dpi} ${WINE_LOADER} ${WINESERVER} ${XVFB_RUN})
  add_test(NAME ui.wineprefix.${dpi}dpi COMMAND ${scaled_run} ${PROJECT_SOURCE_DIR}/cmake/wine-prefix-setup.sh ${dpi})
  set_tests_properties(ui.wineprefix.${dpi}dpi PROPERTIES
    FIXTURES_SETUP wineprefix-${dpi} RESOURCE_LOCK wineprefix TIMEOUT 600 LABELS wine)
  add_test(NAME ui.WholeTextsTest.${dpi}dpi COMMAND ${scaled_run} ${ui_tests} --gtest_filter=*/WholeTextsTest.*)
  set_tests_properties(ui.WholeTextsTest.${dpi}dpi PROPERTIES
    FIXTURES_REQUIRED wineprefix-${dpi} RESOURCE_LOCK wineprefix TIMEOUT ${THALWEN_WINE_TEST_TIMEOUT} LABELS wine
    FAIL_REGULAR_EXPRESSION "Running 0 tests")
endforeach()

# A French locale changes Wine's code pages, and with them Wine rewrites its
# font substitutes: the window must still show every text whole.
add_test(NAME ui.WholeTextsTest.fr_FR.UTF-8
         COMMAND ${CMAKE_COMMAND} -E env LC_ALL=fr_FR.UTF-8 ${wine_run} ${ui_tests} --gtest_filter=*/WholeTextsTest.*)
set_tests_properties(ui.WholeTextsTest.fr_FR.UTF-8 PROPERTIES
  FIXTURES_REQUIRED wineprefix RESOURCE_LOCK wineprefix TIMEOUT ${THALWEN_WINE_TEST_TIMEOUT} LABELS wine
  FAIL_REGULAR_EXPRESSION "Running 0 tests")

# --- Installation ---------------------------------------------------------------------------------
# The program goes where the launcher (packaging/) looks for it.
# It is not a target of this project, so what install(TARGETS) would do is done
# here: drop the build tree's library search path, and strip when asked.
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/thalwen.exe.so DESTINATION ${THALWEN_PROGRAM_DIR})
install(CODE "
  set(program \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${THALWEN_PROGRAM_DIR}/thalwen.exe.so\")
  file(RPATH_REMOVE FILE \"\${program}\")
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${program}\" COMMAND_ERROR_IS_FATAL ANY)
  endif()")
