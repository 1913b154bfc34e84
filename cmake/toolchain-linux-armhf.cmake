# SPDX-License-Identifier: MIT
# Debian armhf: arm-linux-gnueabihf-g++, its programs run under qemu-arm.
set(tstamp_debian_arch armhf)
set(tstamp_packages g++-arm-linux-gnueabihf)
set(tstamp_triplet arm-linux-gnueabihf)
set(tstamp_processor armv7l)
set(tstamp_qemu qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
