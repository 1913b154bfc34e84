# SPDX-License-Identifier: MIT
# Debian arm64, dynamically linked: its facts are its row in architectures.cmake.
set(tstamp_arch arm64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
