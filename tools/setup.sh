#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# On a fresh Debian 12 machine: installs what the build needs, builds the release binary and
# runs it once.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh build
cmake --preset release -DTSTAMP_BUILD_TESTS=OFF -DTSTAMP_BUILD_BENCHMARKS=OFF
cmake --build --preset release -j "$(nproc)"
build/release/tstamp
