# SPDX-License-Identifier: MIT
# Debian s390x, dynamically linked: its facts are its row in architectures.cmake.
set(tstamp_arch s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
