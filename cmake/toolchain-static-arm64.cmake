# SPDX-License-Identifier: MIT
# Static arm64 on musl: aarch64-linux-gnu-g++ with musl-dev:arm64's files; its programs run under qemu-aarch64.
set(tstamp_debian_arch arm64)
set(tstamp_packages g++-aarch64-linux-gnu)
set(tstamp_triplet aarch64-linux-gnu)
set(tstamp_musl aarch64-linux-musl)
set(tstamp_processor aarch64)
set(tstamp_qemu qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
