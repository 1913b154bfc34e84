#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the libFuzzer target for a bounded time from the seed corpus; any finding fails.
# New inputs go to a scratch folder (build/fuzz/new-corpus), not into the tree.
# Usage: fuzz.sh [SECONDS]   (default 60; needs the fuzz preset built)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scratch=build/fuzz/new-corpus
mkdir -p "$scratch"
build/fuzz/fuzz_format -max_total_time="$seconds" -dict=fuzz/format.dict -print_final_stats=1 \
    -artifact_prefix=build/fuzz/ "$scratch" fuzz/corpus 2>build/fuzz/fuzz.log || {
    tail -n 60 build/fuzz/fuzz.log
    exit 1
}
grep -E '^#[0-9]+.*DONE|^Done|stat::number_of_executed_units|stat::peak_rss_mb' build/fuzz/fuzz.log
