#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up cost of tstamp against the least C program that prints the date, in user-space
# instructions counted by callgrind (repeatable, unlike timings on a shared machine).
# Usage: startup_ratio.sh TSTAMP STARTUP_MIN [FORMAT]
set -eu
tstamp=${1:?usage: startup_ratio.sh TSTAMP STARTUP_MIN [FORMAT]}
minimal=${2:?usage: startup_ratio.sh TSTAMP STARTUP_MIN [FORMAT]}
format=${3:-+%Y-%m-%d}

count() {
    env -i TZ=UTC valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" "$format" 2>&1 >/dev/null |
        awk '/Collected :/ {print $4}'
}
ours=$(count "$tstamp")
theirs=$(count "$minimal")
printf 'tstamp:        %s instructions\n' "$ours"
printf 'minimal C:     %s instructions\n' "$theirs"
awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "ratio:         %.4f (target <= 1.05)\n", a / b; exit !(a / b <= 1.05) }'
