# SPDX-License-Identifier: MIT
# Debian i386, dynamically linked: its facts are its row in architectures.cmake.
set(tstamp_arch i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
