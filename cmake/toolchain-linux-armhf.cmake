# SPDX-License-Identifier: MIT
# Debian armhf, dynamically linked: its facts are its row in architectures.cmake.
set(tstamp_arch armhf)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
