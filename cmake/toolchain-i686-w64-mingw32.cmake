# 32-bit Windows console program on msvcrt.dll, built with Debian's mingw-w64 cross compiler
# and run (tests included) under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

# The posix thread model: GoogleTest needs std::mutex, which the win32 model lacks.
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime (libgcc, libstdc++, winpthread) is linked in, so a program
# imports msvcrt.dll and KERNEL32.dll only and runs without any other DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs the cross-built programs through Wine. Its errors stay visible (a missing DLL
# shows only there); left out are its notes and the two complaints of a machine without a
# display, which would otherwise land on the standard error of the program under test.
# The Wine prefix is the build's own, made by the first test (tests/CMakeLists.txt).
set(TSTAMP_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${TSTAMP_WINEPREFIX} WINEDEBUG=fixme-all,err-winediag,err-systray wine)

# GoogleTest is built from Debian's googletest sources for this target.
set(TSTAMP_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
