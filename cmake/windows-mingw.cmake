# SPDX-License-Identifier: MIT
# Windows console program on msvcrt.dll, built with Debian's mingw-w64 cross compiler and
# run (tests included) under Wine. The toolchain file of each (toolchain-<triplet>.cmake)
# sets these and includes this file:
#   tstamp_triplet    i686-w64-mingw32 or x86_64-w64-mingw32
#   tstamp_processor  CMAKE_SYSTEM_PROCESSOR
#   tstamp_wine       the Wine loader that runs its programs
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${tstamp_processor})

# The posix thread model: GoogleTest needs std::mutex, which the win32 model lacks.
set(CMAKE_C_COMPILER ${tstamp_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tstamp_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${tstamp_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${tstamp_triplet})
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
set(TSTAMP_WINE ${tstamp_wine} CACHE FILEPATH "The Wine loader that runs this target's programs")
set(TSTAMP_WINE_ENV WINEPREFIX=${TSTAMP_WINEPREFIX} WINELOADER=${tstamp_wine})
set(CMAKE_CROSSCOMPILING_EMULATOR
    env ${TSTAMP_WINE_ENV} WINEDEBUG=fixme-all,err-winediag,err-systray ${tstamp_wine})
