# SPDX-License-Identifier: MIT
# A Windows console program on msvcrt.dll, built with Debian's mingw-w64 cross compiler,
# whose programs run under Wine. The toolchain file of each (toolchain-windows-<arch>.cmake)
# sets these and includes this file:
#   tstamp_triplet    i686-w64-mingw32 or x86_64-w64-mingw32
#   tstamp_processor  CMAKE_SYSTEM_PROCESSOR
#   tstamp_wine       the Wine loader that runs its programs
#   tstamp_artifact   win32 or win64: its release artifacts are tstamp-<version>-<that>.zip
#                     and, the installer, tstamp-<version>-<that>.msi (word <that>-msi)
#   tstamp_msi_upgrade_code  the installer's upgrade code, one for each architecture, never
#                     changed: Windows Installer knows two versions for one product by it
#   tstamp_packages   the Debian packages its build and tests need (tools/install-deps.sh)
# The program loads these two DLLs and no other (tools/check-binary.sh holds it to them).
set(tstamp_artifact_kind zip)
set(tstamp_installer ${tstamp_artifact}-msi)
# The installer: wixl and msibuild make it, under faketime for its times; osslsigncode
# signs the programs and the installers when a release is given a certificate.
list(APPEND tstamp_packages wixl msitools faketime osslsigncode)
set(tstamp_imports KERNEL32.dll msvcrt.dll)
if(tstamp_facts_only) # read by targets.cmake: the facts above, no toolchain
    return()
endif()
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

set(CMAKE_CROSSCOMPILING_EMULATOR ${tstamp_wine})
