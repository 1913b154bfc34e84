# SPDX-License-Identifier: MIT
# 64-bit Windows: x86_64-w64-mingw32-g++-posix, its programs run under wine64.
set(tstamp_artifact win64)
set(tstamp_packages g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64)
# The installer's upgrade code: the same for every version, for ever.
set(tstamp_msi_upgrade_code 2285BEFD-85FA-47CD-AF23-749BDB80DFB8)
set(tstamp_triplet x86_64-w64-mingw32)
set(tstamp_processor AMD64)
set(tstamp_wine /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/windows-mingw.cmake)
