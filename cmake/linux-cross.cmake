# SPDX-License-Identifier: MIT
# A Linux target built with Debian's cross compiler for it, whose programs run under
# qemu-user on the target's own C library. The toolchain file of each architecture
# (toolchain-linux-<arch>.cmake) sets these and includes this file:
#   tstamp_triplet    the GNU triplet of Debian's cross compiler
#   tstamp_processor  CMAKE_SYSTEM_PROCESSOR
#   tstamp_qemu       the qemu-user program that runs its programs
#   tstamp_debian_arch  Debian's name for the architecture
#   tstamp_packages   the Debian packages its build and tests need (tools/install-deps.sh)
# Its release artifact is the Debian package, known by the architecture's name.
set(tstamp_artifact ${tstamp_debian_arch})
if(tstamp_facts_only) # read by targets.cmake: the facts above, no toolchain
    return()
endif()
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${tstamp_processor})

set(CMAKE_C_COMPILER ${tstamp_triplet}-gcc)
set(CMAKE_CXX_COMPILER ${tstamp_triplet}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${tstamp_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The target's dynamic loader and libraries are those of the cross compiler's sysroot.
set(CMAKE_CROSSCOMPILING_EMULATOR ${tstamp_qemu} -L /usr/${tstamp_triplet})
