# CMake toolchain for 64-bit Windows with Debian's MinGW-w64 (GCC 12).
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=tools/mingw-w64.cmake -DZEPHYRION_WIN64_DEPS=/path/to/prefix ...
#
# ZEPHYRION_WIN64_DEPS (a cache variable or an environment variable) is the
# prefix of the static libraries tools/windows.sh builds: Allegro, loadpng,
# libpng, FreeType, SDL2 and GoogleTest. Windows programs built here run under
# Wine: CMake's emulator, so the asset generators and ctest work too.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model for everything: the default (win32) one has no
# std::mutex, which GoogleTest needs, and every library shares one ABI.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT ZEPHYRION_WIN64_DEPS AND DEFINED ENV{ZEPHYRION_WIN64_DEPS})
  set(ZEPHYRION_WIN64_DEPS "$ENV{ZEPHYRION_WIN64_DEPS}")
endif()
set(ZEPHYRION_WIN64_DEPS "${ZEPHYRION_WIN64_DEPS}" CACHE PATH
    "Prefix of the static Windows libraries built by tools/windows.sh")
# try_compile() projects read this file again: hand them the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZEPHYRION_WIN64_DEPS)

# Libraries and headers come from MinGW's sysroot (Debian's zlib is there) and
# from the prefix only; programs (pkg-config, awk, Python) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
if(ZEPHYRION_WIN64_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH "${ZEPHYRION_WIN64_DEPS}")
  list(APPEND CMAKE_PREFIX_PATH "${ZEPHYRION_WIN64_DEPS}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's MinGW zlib ships libz.dll.a beside libz.a, and CMake prefers the
# import library: ask FindZLIB for the static one, or zlib1.dll comes along.
set(ZLIB_USE_STATIC_LIBS ON)

# pkg-config: the prefix's .pc files and MinGW's, never the host's; and no
# -I or -L for MinGW's own folders (zlib.pc names them), as for /usr natively.
set(ENV{PKG_CONFIG_SYSTEM_INCLUDE_PATH} /usr/x86_64-w64-mingw32/include)
set(ENV{PKG_CONFIG_SYSTEM_LIBRARY_PATH} /usr/x86_64-w64-mingw32/lib)
set(ENV{PKG_CONFIG_LIBDIR} /usr/x86_64-w64-mingw32/lib/pkgconfig)
if(ZEPHYRION_WIN64_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} "${ZEPHYRION_WIN64_DEPS}/lib/pkgconfig:$ENV{PKG_CONFIG_LIBDIR}")
endif()

# Windows programs run under Wine; WINEDEBUG=-all keeps its stderr quiet (and
# Debian's wine script from asking for wine32) unless the caller set it.
if(DEFINED ENV{WINEDEBUG})
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env "WINEDEBUG=$ENV{WINEDEBUG}" wine)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEDEBUG=-all wine)
endif()
