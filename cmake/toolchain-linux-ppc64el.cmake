# SPDX-License-Identifier: MIT
# Debian ppc64el: powerpc64le-linux-gnu-g++, its programs run under qemu-ppc64le.
set(tstamp_debian_arch ppc64el)
set(tstamp_packages g++-powerpc64le-linux-gnu)
set(tstamp_triplet powerpc64le-linux-gnu)
set(tstamp_processor ppc64le)
set(tstamp_qemu qemu-ppc64le)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
