# SPDX-License-Identifier: MIT
# Debian riscv64: riscv64-linux-gnu-g++, its programs run under qemu-riscv64.
set(tstamp_debian_arch riscv64)
set(tstamp_packages g++-riscv64-linux-gnu)
set(tstamp_triplet riscv64-linux-gnu)
set(tstamp_processor riscv64)
set(tstamp_qemu qemu-riscv64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
