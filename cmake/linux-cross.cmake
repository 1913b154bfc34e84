# SPDX-License-Identifier: MIT
# A Debian architecture built with Debian's cross compiler for it, on glibc, whose programs
# run under qemu-user on the target's own C library. Its toolchain file,
# toolchain-linux-<arch>.cmake, sets tstamp_arch and includes this file; every other fact
# is the architecture's row in architectures.cmake. Its release artifact is the Debian
# package, known by the architecture's name. (linux-static.cmake uses the same toolchain
# where Debian has no musl, and ships a tarball instead.)
include(${CMAKE_CURRENT_LIST_DIR}/architectures.cmake)
tstamp_architecture(arch ${tstamp_arch})
if(NOT tstamp_artifact)
    set(tstamp_artifact ${tstamp_debian_arch})
    set(tstamp_artifact_kind deb)
endif()
list(APPEND tstamp_packages ${tstamp_compiler_package})
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
