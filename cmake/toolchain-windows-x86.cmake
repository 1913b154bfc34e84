# SPDX-License-Identifier: MIT
# 32-bit Windows: i686-w64-mingw32-g++-posix, its programs run under Wine.
set(tstamp_artifact win32)
set(tstamp_packages g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 wine32-preloader:i386 binfmt-support)
# The installer's upgrade code: the same for every version, for ever.
set(tstamp_msi_upgrade_code 535A0445-43AF-43E6-9C23-C8EB5ECB8A85)
set(tstamp_triplet i686-w64-mingw32)
set(tstamp_processor x86)
set(tstamp_wine /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/windows-mingw.cmake)
