#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages that tstamp needs, and only those still missing.
#   install-deps.sh build   what building and running the program needs
#   install-deps.sh test    that, and what every test needs as well; and where the kernel
#                           runs no 32-bit x86 program itself, a binfmt_misc entry that
#                           hands them to qemu-i386 (32-bit Wine is such a program)
set -euo pipefail
set_name=${1:-build}
cd "$(dirname "$0")/.."

build_packages=(
    cmake make g++ # the build
    tzdata         # the zone rules that local time comes from
)
# What the native builds' tests need; each other target's compiler, C library and emulator
# or Wine are among its facts, in its toolchain file (cmake/targets.cmake prints them).
test_packages=(
    libgtest-dev googletest     # unit tests; googletest's sources build them for the cross targets
    valgrind                    # the benchmarks: instruction counts
    python3                     # end-to-end tests: a terminal whose other end has gone
    clang libclang-rt-14-dev    # the fuzzer (libFuzzer) and its sanitizer runtimes
    clang-tidy clang-format cppcheck shellcheck # static analysis and the layout check
    icoutils                    # the Windows programs' resources: version and manifest
    bash-completion zsh fish sudo # the shell completions, driven by their shells (after sudo too)
    tmux                        # an interactive fish in a terminal, for what a Tab puts on the line
    devscripts                  # hardening-check for the release binary
    groff mandoc man-db         # the man page checks, and the Windows manual (HTML)
    dpkg-dev file               # the Debian package: dpkg-shlibdeps, dpkg-deb
    qemu-user qemu-user-static  # the other architectures' programs; the static ones in an empty root
    g++-11 clang-16             # the other compilers: GCC 11, clang 16
    lintian zip                 # the release: Debian's package checks, the Windows zips
    gnupg apt-utils             # the release: its signature (gpg, gpgv) and apt repository (apt-ftparchive)
)

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)

# install_missing PACKAGE...: those of them not installed yet.
install_missing() {
    local package architecture attempt missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    ((${#missing[@]} > 0)) || return 0
    echo "install-deps: installing ${missing[*]}"
    # A package of another architecture (name:arch) needs that architecture in dpkg first.
    for architecture in $(printf '%s\n' "${missing[@]}" | sed -n 's/^.*://p' | sort -u); do
        [[ $architecture == "$(dpkg --print-architecture)" ]] ||
            dpkg --print-foreign-architectures | grep -qx "$architecture" ||
            "${sudo[@]}" dpkg --add-architecture "$architecture"
    done
    # A mirror caught mid-sync fails one index now and then: try again, and go on with what
    # could be read (the install below says whether anything it needs is missing).
    for attempt in 1 2 3; do
        "${sudo[@]}" apt-get update && break
        echo "install-deps: apt-get update failed (attempt $attempt of 3)" >&2
        ((attempt == 3)) || sleep 30
    done
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

install_missing "${build_packages[@]}"
[[ $set_name == test ]] || { echo "install-deps: every package for 'build' is installed"; exit 0; }
# (It stops here when the targets and the presets disagree: cmake/targets.cmake says where.)
targets=$(cmake -P cmake/targets.cmake)
mapfile -t target_packages < <(cut -d ' ' -f 4- <<<"$targets" | tr ' ' '\n' | sed '/^$/d' | sort -u)
install_missing "${test_packages[@]}" "${target_packages[@]}"
echo "install-deps: every package for 'test' is installed"

# The SBOMs' check: the CycloneDX library for JavaScript and its JSON schema validator, at
# the versions tools/sbom/package-lock.json pins, into tools/sbom/node_modules. It needs
# Node.js 20.18 or later: the machine's own (Debian 12's nodejs is 18.20, too old for it).
node_version=$(node --version 2>/dev/null || echo none)
if ! node -e 'const [a, b] = process.versions.node.split(".").map(Number); process.exit(a > 20 || (a == 20 && b >= 18) ? 0 : 1)' 2>/dev/null; then
    echo "install-deps: the SBOM check needs Node.js 20.18 or later with npm; this machine has $node_version" >&2
    exit 1
fi
if ! (cd tools/sbom && npm ls --omit=dev >/dev/null 2>&1); then
    (cd tools/sbom && npm ci --no-audit --no-fund --loglevel=error)
fi
echo "install-deps: the SBOM check's npm packages are installed (Node.js $node_version)"


# Whether this kernel starts a 32-bit x86 program, found by starting one: the least such
# program, 96 bytes that only exit with status 7.
runs_i386() {
    local probe status=0
    probe=$(mktemp)
    printf '%b' '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00' \
        '\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
        '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00' \
        '\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    ((status == 7))
}
runs_i386 && exit 0

# The entry hands every 32-bit x86 ELF program to qemu-i386-static, which needs no library
# of its own. Flag F: the kernel opens it when the entry is made, so programs in a chroot,
# a container or an empty root use it too.
# Remove it with: update-binfmts --package tstamp --remove tstamp-i386 /usr/bin/qemu-i386-static
binfmt=/proc/sys/fs/binfmt_misc
mountpoint -q "$binfmt" || "${sudo[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
# An entry made for another interpreter (the dynamically linked qemu-i386, before) goes.
if [[ -e /var/lib/binfmts/tstamp-i386 ]]; then
    interpreter=$(update-binfmts --display tstamp-i386 | sed -n 's/^ *interpreter = //p')
    [[ $interpreter == /usr/bin/qemu-i386-static ]] ||
        "${sudo[@]}" update-binfmts --package tstamp --remove tstamp-i386 "$interpreter"
fi
if [[ -e /var/lib/binfmts/tstamp-i386 ]]; then
    "${sudo[@]}" update-binfmts --enable tstamp-i386
else
    "${sudo[@]}" update-binfmts --package tstamp --install tstamp-i386 /usr/bin/qemu-i386-static \
        --magic '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00' \
        --mask '\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' \
        --credentials no --fix-binary yes
fi
runs_i386 || { echo "install-deps: 32-bit x86 programs do not run, even through qemu-i386" >&2; exit 1; }
echo "install-deps: registered qemu-i386-static for 32-bit x86 programs (binfmt_misc entry tstamp-i386, flag F):" \
    "this kernel does not run them itself, and 32-bit Wine is one"
