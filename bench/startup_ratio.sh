#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up cost of tstamp against the least C program that prints the date, in user-space
# instructions counted by callgrind (repeatable, unlike timings on a shared machine). Fails
# when the ratio is above MAX (default 1.05).
# Usage: startup_ratio.sh TSTAMP STARTUP_MIN [MAX [FORMAT]]
set -eu
usage="usage: startup_ratio.sh TSTAMP STARTUP_MIN [MAX [FORMAT]]"
tstamp=${1:?$usage}
minimal=${2:?$usage}
max=${3:-1.05}
format=${4:-+%Y-%m-%d}

count() {
    env -i TZ=UTC valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" "$format" 2>&1 >/dev/null |
        awk '/Collected :/ {print $4}'
}
ours=$(count "$tstamp")
theirs=$(count "$minimal")
printf 'tstamp:        %s instructions\n' "$ours"
printf 'minimal C:     %s instructions\n' "$theirs"
awk -v a="$ours" -v b="$theirs" -v max="$max" \
    'BEGIN { printf "ratio:         %.4f (target <= %s)\n", a / b, max; exit !(a / b <= max) }'
