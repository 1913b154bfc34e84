#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# On a fresh Debian 12 machine: installs what the build needs, builds the release binary and
# runs it once.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh build
cmake -S . -B build/setup -DCMAKE_BUILD_TYPE=Release -DTSTAMP_BUILD_TESTS=OFF
cmake --build build/setup -j "$(nproc)"
build/setup/tstamp
