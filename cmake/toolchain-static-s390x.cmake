# SPDX-License-Identifier: MIT
# Static s390x on musl: s390x-linux-gnu-g++ with musl-dev:s390x's files; its programs run under qemu-s390x.
set(tstamp_debian_arch s390x)
set(tstamp_packages g++-s390x-linux-gnu)
set(tstamp_triplet s390x-linux-gnu)
set(tstamp_musl s390x-linux-musl)
set(tstamp_processor s390x)
set(tstamp_qemu qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
