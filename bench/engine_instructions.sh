#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Instructions per expansion, the engine against the C library's strftime, counted by
# callgrind (exact and repeatable, unlike timings on a shared machine): the inclusive cost
# of format_time and of strftime over 10,000 calls each. Fails when a ratio is above MAX
# (default 1.0), or when a count could not be read.
# Usage: engine_instructions.sh ENGINE_CALLS [MAX]
set -euo pipefail
calls=${1:?usage: engine_instructions.sh ENGINE_CALLS [MAX]}
max=${2:-1.0}
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
status=0
for name in short mixed; do
    ours=$(per_call engine "${formats[$name]}" 'format_time(')
    theirs=$(per_call strftime "${formats[$name]}" ':strftime ')
    awk -v n="$name" -v a="$ours" -v b="$theirs" -v max="$max" \
        'BEGIN { printf "%-6s engine %6d, strftime %6d instructions a call, ratio %.3f (target <= %s)\n", n, a, b, b ? a / b : 0, max
                 exit !(a > 0 && b > 0 && a / b <= max) }' || status=1
done
exit "$status"
