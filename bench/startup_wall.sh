#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Wall time of RUNS starts of each of two programs, taken in turns REPETITIONS times: the
# median of each, and their ratio. Timings on a shared machine are noisy; the ratio of
# medians within one run is what to compare.
# Usage: startup_wall.sh PROGRAM OTHER [RUNS [REPETITIONS]]   (defaults 1000 and 5)
set -eu
usage="usage: startup_wall.sh PROGRAM OTHER [RUNS [REPETITIONS]]"
first=${1:?$usage}
second=${2:?$usage}
runs=${3:-1000}
repetitions=${4:-5}

# runs_of PROGRAM: microseconds for $runs starts of it.
runs_of() {
    local start=$EPOCHREALTIME i
    for ((i = 0; i < runs; i++)); do
        TZ=UTC "$1" +%Y-%m-%d >/dev/null
    done
    local end=$EPOCHREALTIME
    echo $((${end/./} - ${start/./}))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ours=() theirs=()
for ((r = 0; r < repetitions; r++)); do
    ours+=("$(runs_of "$first")")
    theirs+=("$(runs_of "$second")")
done
a=$(printf '%s\n' "${ours[@]}" | median)
b=$(printf '%s\n' "${theirs[@]}" | median)
awk -v a="$a" -v b="$b" -v n="$runs" -v first="$first" -v second="$second" 'BEGIN {
    printf "%s: %.1f ms for %d starts (median)\n%s: %.1f ms for %d starts (median)\nratio: %.3f\n",
        first, a / 1000, n, second, b / 1000, n, a / b }'
