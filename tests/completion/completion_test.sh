#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The shell completions: the table they are made from against the program, and each
# completion driven by its real shell.
#
# Usage: completion_test.sh GROUP   (sync, bash, zsh or fish; an unknown group exits 2, a
#                                    group that checks nothing fails)
# Environment, set by the build: TSTAMP and TSTAMP_LAUNCH (the program and how it runs),
# TSTAMP_COMPLETION (the built completions), TSTAMP_SOURCE (the source tree).
set -u
group=${1:?usage: completion_test.sh GROUP}
table=$TSTAMP_SOURCE/completion/sequences.tsv
completions=$TSTAMP_COMPLETION
passed=0
failed=0

fail() {
    failed=$((failed + 1))
    printf 'FAIL %s: %s\n' "$1" "$2"
}
# offers NAME COUNT SAMPLE: the shell listed COUNT candidates ($listed, one a line), and
# SAMPLE, if any, is a line of what it showed ($shown).
offers() {
    local count
    count=$(grep -c . <<<"$listed")
    if [[ $count == "$2" ]] && { [[ -z $3 ]] || grep -qxF -- "$3" <<<"$shown"; }; then
        passed=$((passed + 1))
    else
        fail "$1" "offers $count: $(head -n 3 <<<"$listed" | tr '\n\t' ' :')"
    fi
}

# expand SEQUENCE: what the program prints for it, the clock and zone fixed.
expand() { TSTAMP_TEST_CLOCK=795184889 TZ=UTC "$TSTAMP_LAUNCH" "$TSTAMP" "+$1"; }

group_sync() {
    local sequence offered
    offered=$(grep -E '^%' "$table" | cut -f 1)
    # Every sequence offered is one the program expands (it does not print it as typed).
    while read -r sequence; do
        [[ $(expand "$sequence") != "$sequence" ]] || fail "$sequence is offered" "the program prints it as typed"
    done <<<"$offered"
    # Every character that the program expands after "%" is offered.
    local code char plain
    for code in $(seq 33 126); do
        printf -v char "\\x$(printf %x "$code")"
        plain=$(expand "%$char")
        if [[ $plain != "%$char" ]] && ! grep -qxF -- "%$char" <<<"$offered"; then
            fail "%$char" "the program expands it, and no completion offers it"
        fi
    done
    [[ $failed == 0 ]] && passed=$((passed + 1))
    # Each is in the README's FORMAT table.
    local readme
    readme=$(sed -n '/^## FORMAT/,/^## /p' "$TSTAMP_SOURCE/README.md")
    while read -r sequence; do
        grep -qE -- "[\` ]$sequence[\` ,]" <<<"$readme" || fail "$sequence" "not in the README's FORMAT table"
    done <<<"$offered"
    [[ $failed == 0 ]] && passed=$((passed + 1))
}

# Each shell's table: the command line typed so far | how many it offers | one of them.
group_bash() {
    local line word count sample listed shown
    while IFS='|' read -r line word count sample; do
        listed=$(bash -c 'source "$1"
            COMP_LINE=$2 COMP_POINT=${#2} COMP_WORDS=(tstamp "$3") COMP_CWORD=1
            _tstamp
            printf "%s\n" "${COMPREPLY[@]}"' bash "$completions/tstamp.bash" "$line" "$word")
        shown=$listed
        offers "bash: '$line'" "$count" "$sample"
    done <<'EOF'
tstamp +%|+%|38|+%Y
tstamp +%#|+%#|22|+%#d
tstamp +ab %|+ab %|0|
tstamp +%H:%|%|38|%M
tstamp +x%Y-%|+x%Y-%|38|+x%Y-%m
tstamp +%%|+%%|0|
tstamp ||1|+
tstamp %Y|%Y|1|+
EOF
}

group_fish() {
    local line count sample listed shown
    while IFS='|' read -r line count sample; do
        listed=$(fish -c 'source $argv[1]; complete -C $argv[2]' "$completions/tstamp.fish" "$line")
        shown=$listed
        offers "fish: '$line'" "$count" "$(printf '%b' "$sample")"
    done <<'EOF'
tstamp +%|38|+%Y\tyear, every digit (1995)
tstamp +%#|22|+%#d\tday of the month without a leading zero
tstamp +x%Y-%|38|+x%Y-%m\tmonth (01-12)
tstamp +%%|0|
tstamp |1|+
EOF
}

group_zsh() {
    local line count sample listed shown
    while IFS='|' read -r line count sample; do
        shown=$(timeout 30 zsh -f "$(dirname "$0")/zsh_list.zsh" "$completions" "$line")
        listed=$(grep -- ' -- ' <<<"$shown")
        offers "zsh: '$line'" "$count" "$sample"
    done <<'EOF'
tstamp +%|38|%Y  -- year, every digit (1995)
tstamp +%#|22|%#d  -- day of the month without a leading zero
tstamp +x%Y-%|38|%m  -- month (01-12)
tstamp |0|tstamp +
EOF
}

declare -F "group_$group" >/dev/null || { echo "completion_test.sh: no group $group" >&2; exit 2; }
"group_$group"
printf '%s: %d passed, %d failed\n' "$group" "$passed" "$failed"
((failed == 0 && passed > 0))
