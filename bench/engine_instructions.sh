#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Instructions per expansion, the engine against the C library's strftime, counted by
# callgrind (exact and repeatable, unlike timings on a shared machine): the inclusive cost
# of format_time and of strftime over 10,000 calls each.
# Usage: engine_instructions.sh ENGINE_CALLS
set -euo pipefail
calls=${1:?usage: engine_instructions.sh ENGINE_CALLS}
declare -A formats
formats[short]='%Y-%m-%d %H:%M:%S'
formats[mixed]='Today is %A, %d %B %Y (day %j, week %U/%W); the time is %H:%M:%S, that is %I:%M %p. Short forms: %a %b %y, %D, %T, %F, %R. Weekday %w/%u, ISO %G-W%V, %e %C. Locale: %c | %x | %X %%'
scratch=$(mktemp)
trap 'rm -f "$scratch"' EXIT

per_call() { # per_call engine|strftime FORMAT FUNCTION
    valgrind --tool=callgrind --callgrind-out-file="$scratch" "$calls" "$1" "$2" >/dev/null 2>&1
    callgrind_annotate --inclusive=yes "$scratch" 2>/dev/null |
        awk -v fn="$3" 'index($0, fn) { gsub(",", "", $1); print int($1 / 10000); exit }'
}
for name in short mixed; do
    ours=$(per_call engine "${formats[$name]}" 'format_time(')
    theirs=$(per_call strftime "${formats[$name]}" ':strftime ')
    awk -v n="$name" -v a="$ours" -v b="$theirs" \
        'BEGIN { printf "%-6s engine %6d, strftime %6d instructions a call, ratio %.3f (information; at most 1.0)\n", n, a, b, a / b }'
done
