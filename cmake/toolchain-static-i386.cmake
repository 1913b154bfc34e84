# SPDX-License-Identifier: MIT
# Static i386 on musl: i686-linux-gnu-g++ with musl-dev:i386's files; its programs run under qemu-i386.
set(tstamp_debian_arch i386)
set(tstamp_packages g++-i686-linux-gnu)
set(tstamp_triplet i686-linux-gnu)
set(tstamp_musl i386-linux-musl)
set(tstamp_processor i686)
set(tstamp_qemu qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
