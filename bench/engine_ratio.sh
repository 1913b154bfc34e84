#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Time of the conversion engine per expansion against the C library's strftime on the same
# formats, as the ratio of the medians of repeated Google Benchmark runs.
# Usage: engine_ratio.sh ENGINE_BENCH [REPETITIONS]
set -euo pipefail
bench=${1:?usage: engine_ratio.sh ENGINE_BENCH [REPETITIONS]}
repetitions=${2:-10}
"$bench" --benchmark_min_time=0.5 --benchmark_repetitions="$repetitions" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    awk -F, '/_median"/ {
        gsub(/"/, "", $1); sub(/_median$/, "", $1)
        split($1, part, "/"); time[part[1] "/" part[2]] = $3
    }
    END {
        for (f in time) if (f ~ /^engine\//) {
            split(f, part, "/"); theirs = time["library_strftime/" part[2]]
            printf "%-6s engine %8.1f ns, strftime %8.1f ns, ratio %.2f (information; at most 1.0)\n", part[2], time[f], theirs, time[f] / theirs
        }
    }'
