# SPDX-License-Identifier: MIT
# Static ppc64el on musl: powerpc64le-linux-gnu-g++ with musl-dev:ppc64el's files; its programs run under qemu-ppc64le.
set(tstamp_debian_arch ppc64el)
set(tstamp_packages g++-powerpc64le-linux-gnu)
set(tstamp_triplet powerpc64le-linux-gnu)
set(tstamp_musl powerpc64le-linux-musl)
set(tstamp_processor ppc64le)
set(tstamp_qemu qemu-ppc64le)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
