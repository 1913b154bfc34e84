#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages that tstamp needs, and only those still missing.
#   install-deps.sh build   what building and running the program needs
#   install-deps.sh test    that, and what every test needs as well
set -euo pipefail
set_name=${1:-build}

build_packages=(
    cmake make g++ # the build
    tzdata         # the zone rules that local time comes from
)
test_packages=(
    libgtest-dev googletest     # unit tests; googletest's sources also build them for Windows
    libbenchmark-dev valgrind   # the benchmarks: timings and instruction counts
    python3                     # end-to-end tests: a terminal whose other end has gone
    clang libclang-rt-14-dev    # the fuzzer (libFuzzer) and its sanitizer runtimes
    clang-tidy clang-format cppcheck # static analysis and the layout check
    g++-mingw-w64-i686 binutils-mingw-w64-i686 # the 32-bit Windows build and its import check
    wine wine32:i386            # runs the Windows build and its tests
    devscripts                  # hardening-check for the release binary
    groff mandoc man-db         # the man page checks
    dpkg-dev file               # the Debian package: dpkg-shlibdeps, dpkg-deb
    # The other Linux architectures: Debian's cross compilers, their programs run under qemu.
    g++-i686-linux-gnu g++-arm-linux-gnueabihf g++-aarch64-linux-gnu
    g++-s390x-linux-gnu g++-powerpc64le-linux-gnu g++-riscv64-linux-gnu
    qemu-user
    g++-11 clang-16             # the other compilers: GCC 11, clang 16
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 # 64-bit Windows, run under Wine
    lintian zip                 # the release: Debian's package checks, the Windows zips
)

packages=("${build_packages[@]}")
[[ $set_name == test ]] && packages+=("${test_packages[@]}")

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if ((${#missing[@]} == 0)); then
    echo "install-deps: every package for '$set_name' is installed"
    exit 0
fi
echo "install-deps: installing ${missing[*]}"
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
