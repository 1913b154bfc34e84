# SPDX-License-Identifier: MIT
# Static amd64 on musl: x86_64-linux-gnu-g++ with musl-dev's files; its programs run natively.
set(tstamp_debian_arch amd64)
set(tstamp_triplet x86_64-linux-gnu)
set(tstamp_musl x86_64-linux-musl)
set(tstamp_processor x86_64)
set(tstamp_qemu "")
include(${CMAKE_CURRENT_LIST_DIR}/linux-musl.cmake)
