#!/usr/bin/env bash
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
    echo "==== $name"
    if "$@"; then
        passed=$((passed + 1))
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
step "hardening of the release binary" tools/check-hardening.sh build/release
step "layout and static analysis" tools/lint.sh

# Information, not a gate: start-up cost against the least C program (see bench/).
bash bench/startup_ratio.sh build/release/tstamp build/release/bench/startup_min || true

echo
((failed == 0)) || printf 'failed step: %s\n' "${failures[@]}"
echo "tools/test.sh: $passed passed, $failed failed"
((failed == 0))
