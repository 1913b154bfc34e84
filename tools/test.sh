#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds every configuration and runs every test; installs what the tests need first:
# every workflow preset, the release build with two other compilers, a trial of the
# release and the checks of what it made, what a release refuses, and the static analysis.
# This is the command the README gives and .ci/run runs.
#
# Every step runs, and a step that cannot run fails. One may be skipped, and only by asking:
#   TSTAMP_SKIP_WIN32=1   skips the 32-bit Windows tests (the summary says so)
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
tools/install-deps.sh test || exit 1
# As many jobs as there are cores, unless the caller says otherwise.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$(nproc)}

passed=0
failed=0
skipped=0
failures=()
skips=()
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
        echo "==== FAILED in $((EPOCHSECONDS - start)) s: $name"
    fi
}

# The reference platform's tests, under 32-bit Wine. Wine's 32-bit loader is a 32-bit x86
# program: where the kernel runs none, tools/install-deps.sh has had qemu-i386 run them.
windows_x86() {
    if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo "32-bit Wine does not start here: this kernel runs no 32-bit x86 program, and none is" \
            "handed to qemu-i386 (run tools/install-deps.sh test as root, or set TSTAMP_SKIP_WIN32=1)"
        return 1
    fi
    cmake --workflow --preset windows-x86
}

# Every workflow preset, in the order CMakePresets.json gives them (bench measures the
# static-amd64 program, so it comes after).
mapfile -t workflows < <(cmake --list-presets=workflow | sed -n 's/^ *"\(.*\)".*/\1/p')
((${#workflows[@]} > 0)) || step "the workflow presets" false
for preset in "${workflows[@]}"; do
    if [[ $preset != windows-x86 ]]; then
        step "$preset: cmake --workflow --preset $preset" cmake --workflow --preset "$preset"
    elif [[ ${TSTAMP_SKIP_WIN32:-} == 1 ]]; then
        skipped=$((skipped + 1))
        skips+=("windows-x86 (TSTAMP_SKIP_WIN32=1)")
        echo "==== SKIPPED: windows-x86, as TSTAMP_SKIP_WIN32=1 asks"
    else
        step "windows-x86: cmake --workflow --preset windows-x86, under 32-bit Wine" windows_x86
    fi
done

# other_compiler NAME CC CXX: the release preset with another compiler, in build/NAME; the
# tests that one build runs for all stay with the release build.
other_compiler() {
    cmake --preset release -B "build/$1" -DCMAKE_C_COMPILER="$2" -DCMAKE_CXX_COMPILER="$3" \
        -DTSTAMP_SLOW_TESTS=OFF >/dev/null &&
        cmake --build "build/$1" && ctest --test-dir "build/$1" --output-on-failure
}
step "g++-11: build and test" other_compiler gcc-11 gcc-11 g++-11
step "clang-16: build and test" other_compiler clang-16 clang-16 clang++-16

# A trial of the release (not a release: it allows uncommitted changes and unreleased
# entries, and writes into build/release-trial/), then the checks of what it made.
step "release trial: every artifact into build/release-trial/" tools/release.sh --trial
step "release trial: packages, with lintian" tools/check-release.sh --trial packages
step "release trial: Windows zips, run under Wine" tools/check-release.sh --trial zips
step "release trial: the Windows installers, installed, upgraded and removed under Wine" tools/check-release.sh --trial msi
step "release trial: tarballs, the static programs run in an empty root" tools/check-release.sh --trial tarballs
step "release trial: the source archive built as a packager builds it" tools/check-release.sh --trial packager
step "release trial: the checksums and the signature, checked" tools/check-release.sh --trial signature
step "release trial: the apt repository, added and used as a user does" tools/check-release.sh --trial apt
step "release trial: an SBOM of each binary artifact, valid and read off its link" tools/check-release.sh --trial sbom
step "release trial: the Windows artifacts signed with a throwaway certificate, checked" tools/check-release.sh --trial authenticode
step "release trial: the same bytes from two clones, one at a path with a blank" tools/check-release.sh --trial reproducible
step "release: what it refuses, in a clone" tools/check-release.sh refusals
step "layout and static analysis" tools/lint.sh

echo
# The runs that a Windows build's launcher ran again after a start-up failure of Wine's
# own (tests/run-on-target.sh.in writes each down; its tests start the list anew).
retried=$(cat build/windows-*/wine-retries.log 2>/dev/null | wc -l)
if ((retried > 0)); then
    echo "runs retried after Wine failed to start: $retried"
    sed 's/^/  /' build/windows-*/wine-retries.log
fi
((failed == 0)) || printf 'failed step: %s\n' "${failures[@]}"
((skipped == 0)) || printf 'skipped step: %s\n' "${skips[@]}"
if ((skipped == 0)); then
    echo "tools/test.sh: $passed passed, $failed failed"
else
    echo "tools/test.sh: $passed passed, $failed failed, $skipped skipped"
fi
((failed == 0))
