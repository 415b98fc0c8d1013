# The Win32 interface built for Windows itself, with MinGW-w64 (see the toolchain
# file cmake/mingw-w64-i686.cmake and "Windows" in the README). thalwen.exe is
# linked when the GSW library is there; without it the sources and the
# resources are compiled only.
enable_language(RC)

file(GLOB ui_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
list(REMOVE_ITEM ui_sources ${CMAKE_CURRENT_SOURCE_DIR}/winmain.cpp)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine
                OUTPUT_VARIABLE compiler_target OUTPUT_STRIP_TRAILING_WHITESPACE)
add_library(thalwen_ui STATIC ${ui_sources})
target_include_directories(thalwen_ui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/resources)
# windows.h must not define min and max: they break <limits> and std::min.
target_compile_definitions(thalwen_ui
  PUBLIC NOMINMAX
  PRIVATE THALWEN_COMPILER_TARGET="${compiler_target}" THALWEN_GSW_VERSION="${GSW_VERSION}")
target_link_libraries(thalwen_ui PUBLIC thalwen_engine thalwen_number_text comctl32 shell32
                                 PRIVATE thalwen_version thalwen_warnings)

add_library(thalwen_resources OBJECT ${PROJECT_SOURCE_DIR}/resources/thalwen.rc)
target_include_directories(thalwen_resources PRIVATE ${PROJECT_SOURCE_DIR}/resources)
target_link_libraries(thalwen_resources PRIVATE thalwen_version)

add_library(thalwen_entry OBJECT winmain.cpp)
target_link_libraries(thalwen_entry PRIVATE thalwen_ui thalwen_warnings)

if(TARGET GSW::GSW)
  add_executable(thalwen WIN32)
  target_link_libraries(thalwen PRIVATE thalwen_entry thalwen_ui thalwen_resources)
  target_link_options(thalwen PRIVATE -static)  # no MinGW runtime DLLs to ship
  install(TARGETS thalwen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
