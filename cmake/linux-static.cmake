# SPDX-License-Identifier: MIT
# A Linux target whose programs have their C library linked in. Its toolchain file,
# toolchain-static-<arch>.cmake, sets tstamp_arch and includes this file; every other fact
# is the architecture's row in architectures.cmake. Its release artifact is the tarball
# tstamp-<version>-linux-<arch>.tar.gz.
#
# The C library is musl: Debian's compiler for the architecture, with musl's headers,
# start files and libraries (Debian's musl-dev for that architecture) in place of glibc's.
# musl brings no C++ library, so only what needs none builds here: the program and its
# test-clock copy, not GoogleTest. Where Debian 12 has no musl (riscv64, not one of its
# release architectures), it is glibc, with the toolchain of the dynamic build.
include(${CMAKE_CURRENT_LIST_DIR}/architectures.cmake)
tstamp_architecture(arch ${tstamp_arch})
set(tstamp_artifact linux-${tstamp_debian_arch})
set(tstamp_artifact_kind tarball)
if(NOT tstamp_musl)
    include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
    return()
endif()
# The build's C library is musl (CMakeLists.txt mends how musl reads TZ).
set(tstamp_on_musl ON)
list(APPEND tstamp_packages ${tstamp_compiler_package} musl-dev:${tstamp_debian_arch})
if(tstamp_facts_only) # read by targets.cmake: the facts above, no toolchain
    return()
endif()
if(tstamp_qemu)
    set(CMAKE_SYSTEM_NAME Linux)
    set(CMAKE_SYSTEM_PROCESSOR ${tstamp_processor})
    # A static program needs nothing of the target's around it: no -L for qemu.
    set(CMAKE_CROSSCOMPILING_EMULATOR ${tstamp_qemu})
endif()

set(CMAKE_C_COMPILER ${tstamp_triplet}-gcc)
set(CMAKE_CXX_COMPILER ${tstamp_triplet}-g++)

# musl's specs file puts its headers and libraries in place of glibc's; musl-static.specs
# adds the start files of a static-pie program (rcrt1.o, found through -B). No default
# library: the compiler's C++ library is glibc's, and the program needs none.
# (The flags are a command line: the quotes keep a source path with a blank in one word.)
set(tstamp_specs "-specs=/usr/lib/${tstamp_musl}/musl-gcc.specs \"-specs=${CMAKE_CURRENT_LIST_DIR}/musl-static.specs\"")
set(CMAKE_C_FLAGS_INIT "${tstamp_specs}")
set(CMAKE_CXX_FLAGS_INIT "${tstamp_specs}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-B/usr/lib/${tstamp_musl}/ -nodefaultlibs")
# musl's C library and the compiler's own helpers (libgcc), in one group: those call back
# into the C library (armhf: raise).
execute_process(COMMAND ${CMAKE_C_COMPILER} -print-libgcc-file-name OUTPUT_VARIABLE tstamp_libgcc
    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(CMAKE_C_STANDARD_LIBRARIES "-Wl,--start-group -lc ${tstamp_libgcc} -Wl,--end-group")
set(CMAKE_CXX_STANDARD_LIBRARIES "${CMAKE_C_STANDARD_LIBRARIES}")

set(CMAKE_FIND_ROOT_PATH /usr/lib/${tstamp_musl})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
