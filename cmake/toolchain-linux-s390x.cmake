# SPDX-License-Identifier: MIT
# Debian s390x: s390x-linux-gnu-g++, its programs run under qemu-s390x.
set(tstamp_debian_arch s390x)
set(tstamp_packages g++-s390x-linux-gnu)
set(tstamp_triplet s390x-linux-gnu)
set(tstamp_processor s390x)
set(tstamp_qemu qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
