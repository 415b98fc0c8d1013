# Toolchain for building Thalwen for 32-bit Windows with Debian's MinGW-w64
# (package g++-mingw-w64-i686). See "Windows" in the README:
#   cmake -S . -B build-windows -G Ninja --toolchain cmake/mingw-w64-i686.cmake \
#         -DGSW_LIBRARY=/path/to/libgswteos-10.a -DGSW_VERSION=3.06.16
# Without GSW_LIBRARY everything is compiled and nothing is linked.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
# The POSIX-threads variant: the win32 one has no std::thread, which
# thalwen-convert converts a batch with; linked statically, it needs no DLL.
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
