# SPDX-License-Identifier: MIT
# Static riscv64 on glibc: Debian 12 has no musl for riscv64 (not one of its release
# architectures), so this program links glibc, as the dynamic riscv64 build does.
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-linux-riscv64.cmake)
# Its artifact is the tarball, not the package.
set(tstamp_artifact linux-${tstamp_debian_arch})
