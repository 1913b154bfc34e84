# SPDX-License-Identifier: MIT
# riscv64, statically linked: its facts are its row in architectures.cmake.
set(tstamp_arch riscv64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-static.cmake)
