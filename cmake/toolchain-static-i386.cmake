# SPDX-License-Identifier: MIT
# i386, statically linked: its facts are its row in architectures.cmake.
set(tstamp_arch i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-static.cmake)
