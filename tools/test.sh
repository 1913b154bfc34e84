#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds every configuration and runs every test; installs what the tests need first.
# This is the command the README gives and .ci/run runs.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test || exit 1

passed=0
failed=0
failures=()
step() { # step NAME COMMAND...
    local name=$1
    shift
    local start=$EPOCHSECONDS
    echo "==== $name"
    if "$@"; then
        passed=$((passed + 1))
        echo "==== done in $((EPOCHSECONDS - start)) s: $name"
    else
        failed=$((failed + 1))
        failures+=("$name")
        echo "==== FAILED: $name"
    fi
}

step "release: build and test" cmake --workflow --preset release
step "debug: build and test" cmake --workflow --preset debug
step "asan: build and test under AddressSanitizer and UBSan" cmake --workflow --preset asan
step "fuzz: build, replay the corpus" cmake --workflow --preset fuzz
step "fuzz: 60 seconds of libFuzzer" tools/fuzz.sh 60
step "windows-x86: build, and test under Wine" cmake --workflow --preset windows-x86
step "windows-x64: build, and test under wine64" cmake --workflow --preset windows-x64
for arch in i386 armhf arm64 s390x ppc64el riscv64; do
    step "linux-$arch: cross build, and test under qemu" cmake --workflow --preset "linux-$arch"
done
step "release-clang: build and test with clang 14" cmake --workflow --preset release-clang

# other_compiler NAME CC CXX: the release preset with another compiler, in build/NAME.
other_compiler() {
    cmake --preset release -B "build/$1" -DCMAKE_C_COMPILER="$2" -DCMAKE_CXX_COMPILER="$3" >/dev/null &&
        cmake --build "build/$1" -j 4 && ctest --test-dir "build/$1" --output-on-failure -j 2
}
step "g++-11: build and test" other_compiler gcc-11 gcc-11 g++-11
step "clang-16: build and test" other_compiler clang-16 clang-16 clang++-16

step "release: every artifact into dist/" tools/release.sh
step "release: packages, with lintian" tools/check-release.sh packages
step "release: Windows zips, run under Wine" tools/check-release.sh zips
step "release: the source archive built as a packager builds it" tools/check-release.sh packager
step "release: the same bytes from two clones" tools/check-release.sh reproducible
step "hardening of the release binary" tools/check-hardening.sh build/release
step "layout and static analysis" tools/lint.sh

# Information, not a gate: start-up cost against the least C program (see bench/).
bash bench/startup_ratio.sh build/release/tstamp build/release/bench/startup_min || true

echo
((failed == 0)) || printf 'failed step: %s\n' "${failures[@]}"
echo "tools/test.sh: $passed passed, $failed failed"
((failed == 0))
