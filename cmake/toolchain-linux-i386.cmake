# SPDX-License-Identifier: MIT
# Debian i386: i686-linux-gnu-g++, its programs run under qemu-i386.
set(tstamp_debian_arch i386)
set(tstamp_packages g++-i686-linux-gnu)
set(tstamp_triplet i686-linux-gnu)
set(tstamp_processor i686)
set(tstamp_qemu qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
