#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A mutation run: small changes to lines of a source file, one at a time, each built and
# tested; a change that every test survives is printed. The file is restored after each.
# Mutations of a line: each comparison, arithmetic and logical operator swapped for its
# opposite (== !=, < >=, > <=, <= >, >= <, + -, - +, && ||, || &&), each integer constant
# one more and one less, true and false swapped, and the line deleted (a line holding only
# a brace or a comment, or a declaration's opening line, is left alone; so is a comment at
# a line's end).
# Usage: tools/mutate.sh FILE FIRST LAST BUILD_COMMAND TEST_COMMAND
#   e.g. tools/mutate.sh src/format_engine.cpp 300 520 \
#          'cmake --build build/release --target unit_tests tstamp tstamp_test_clock' \
#          'timeout 60 build/release/tests/unit_tests && ctest --test-dir build/release -R e2e_'
#   (A mutant can loop for ever: give the test command a timeout.)
# Prints each surviving mutant, then the counts: killed, survived, not built.
set -uo pipefail
(($# == 5)) || { echo "usage: tools/mutate.sh FILE FIRST LAST BUILD_COMMAND TEST_COMMAND" >&2; exit 2; }
file=$1 first=$2 last=$3 build=$4 test=$5
original=$(mktemp)
cp "$file" "$original"
trap 'cp "$original" "$file"; rm -f "$original"' EXIT
killed=0 survived=0 unbuilt=0

# try LINE DESCRIPTION SED_EXPRESSION: one mutant.
try() {
    cp "$original" "$file"
    sed -i "$1$3" "$file"
    cmp -s "$original" "$file" && return
    if ! eval "$build" >/dev/null 2>&1; then
        unbuilt=$((unbuilt + 1))
    elif eval "$test" >/dev/null 2>&1; then
        survived=$((survived + 1))
        echo "SURVIVED line $1: $2: $(sed -n "$1p" "$file" | sed 's/^ *//')"
    else
        killed=$((killed + 1))
    fi
}

swaps=('==/!=' '!=/==' ' < / >= ' ' > / <= ' ' <= / > ' ' >= / < ' ' + / - ' ' - / + ' '&&/||' '||/&&'
    'true/false' 'false/true')
for ((line = first; line <= last; line++)); do
    text=$(sed -n "${line}p" "$original")
    text=${text%%//*} # what follows // is a comment: changing it changes nothing
    [[ $text =~ ^[[:space:]]*($|[{}]|//|case |default:|[a-z_:]+\ [a-z_]+\(.*\{$|struct |constexpr ) ]] && continue
    for swap in "${swaps[@]}"; do
        from=${swap%%/*} to=${swap#*/}
        [[ $text == *"$from"* ]] || continue
        # Each occurrence of the operator on the line, one at a time.
        count=$(grep -oF -- "$from" <<<"$text" | wc -l)
        for ((n = 1; n <= count; n++)); do
            try "$line" "'$from' -> '$to' (#$n)" "s/$(sed 's/[][\/.*^$]/\\&/g' <<<"$from")/$(sed 's/[\/&]/\\&/g' <<<"$to")/$n"
        done
    done
    # Integer constants, one more and one less.
    while read -r number; do
        [[ -n $number ]] || continue
        for other in $((number + 1)) $((number - 1)); do
            try "$line" "$number -> $other" "s/\\b$number\\b/$other/"
        done
    done < <(grep -oE '\b[0-9]+\b' <<<"$text" | sort -u)
    try "$line" "deleted" "d"
done
echo "mutants: $killed killed, $survived survived, $unbuilt not built ($file lines $first-$last)"
((survived == 0))
