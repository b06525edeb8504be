# mingw-w64-x86_64.cmake - Windows programs (x86-64) from Debian's mingw-w64, run under Wine.
#
# The posix-thread compilers: the win32 variant has no std::thread or std::mutex. Libraries
# Debian does not package for mingw are built by scripts/mingw-deps.sh into VEXO_MINGW_DEPS.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT VEXO_MINGW_DEPS)
  set(VEXO_MINGW_DEPS ${CMAKE_CURRENT_LIST_DIR}/../build/mingw-deps)
endif()
get_filename_component(VEXO_MINGW_DEPS ${VEXO_MINGW_DEPS} ABSOLUTE)
set(VEXO_MINGW_DEPS ${VEXO_MINGW_DEPS} CACHE PATH "Libraries built for mingw by scripts/mingw-deps.sh")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VEXO_MINGW_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config must never find the build machine's own .pc files.
set(ENV{PKG_CONFIG_LIBDIR} ${VEXO_MINGW_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# One .exe each, needing no DLL beyond the system's (else: status 53, libstdc++-6.dll missing).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(ZLIB_USE_STATIC_LIBS ON)

# Test programs and gtest_discover_tests run through Wine, in the run's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
