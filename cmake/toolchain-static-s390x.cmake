# SPDX-License-Identifier: MIT
# s390x, statically linked: its facts are its row in architectures.cmake.
set(tstamp_arch s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-static.cmake)
