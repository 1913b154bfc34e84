# SPDX-License-Identifier: MIT
# ppc64el, statically linked: its facts are its row in architectures.cmake.
set(tstamp_arch ppc64el)
include(${CMAKE_CURRENT_LIST_DIR}/linux-static.cmake)
