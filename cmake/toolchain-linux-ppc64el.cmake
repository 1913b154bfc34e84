# SPDX-License-Identifier: MIT
# Debian ppc64el, dynamically linked: its facts are its row in architectures.cmake.
set(tstamp_arch ppc64el)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
