# SPDX-License-Identifier: MIT
# Debian riscv64, dynamically linked: its facts are its row in architectures.cmake.
set(tstamp_arch riscv64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
