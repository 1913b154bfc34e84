# SPDX-License-Identifier: MIT
# Static armhf on musl: arm-linux-gnueabihf-g++ with musl-dev:armhf's files; its programs run under qemu-arm.
set(tstamp_debian_arch armhf)
set(tstamp_packages g++-arm-linux-gnueabihf)
set(tstamp_triplet arm-linux-gnueabihf)
set(tstamp_musl arm-linux-musleabihf)
set(tstamp_processor armv7l)
set(tstamp_qemu qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
