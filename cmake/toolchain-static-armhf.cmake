# SPDX-License-Identifier: MIT
# armhf, statically linked: its facts are its row in architectures.cmake.
set(tstamp_arch armhf)
include(${CMAKE_CURRENT_LIST_DIR}/linux-static.cmake)
