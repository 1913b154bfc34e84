#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks a build's program for the hardening of a Debian package; any "no" fails. It ends
# with one line saying what control-flow protection the program itself carries, read off
# its property notes (readelf -n), whatever the flags asked for.
#
# A dynamically linked program (amd64) goes through Debian's hardening-check. A statically
# linked one (any architecture) cannot: that tool looks for the dynamic loader and for
# imported names. It is checked here instead: static-pie (or plain static where the
# target's C library has no start files for static-pie), read-only relocations with
# immediate binding, a stack that cannot be executed, the stack protector's failure
# routine linked in, and every object of the program's own compiled with the stack
# protector and stack clash protection.
#
# "Control flow integrity" looks for the IBT and SHSTK marks in the program's property note,
# and the linker leaves them out whenever one input lacks them; Debian 12's C start files
# (Scrt1.o, crti.o, crtn.o) and its libc.a do. So instead of that mark this script checks
# what the project controls, on x86: every object of its own carries both marks
# (-fcf-protection), and every external function of its own starts with endbr64 (amd64).
# Usage: check-hardening.sh BUILD_DIR
set -euo pipefail
build=${1:-build/release}
program=$build/tstamp

# The program's objects and their compile commands: those the compile database names for
# the sources in src/, one "OBJECT<tab>COMMAND" a line.
mapfile -t compiled < <(python3 -c 'import json, os, shlex, sys
for entry in json.load(open(os.path.join(sys.argv[1], "compile_commands.json"))):
    if os.path.dirname(os.path.realpath(entry["file"])) == os.path.realpath(sys.argv[2]):
        words = shlex.split(entry["command"])
        print(os.path.join(entry["directory"], words[words.index("-o") + 1]) + "\t" + entry["command"])' \
    "$build" "$(dirname "$0")/../src")
((${#compiled[@]} > 0)) || { echo "no objects of the program in $build/compile_commands.json"; exit 1; }
objects=("${compiled[@]%%$'\t'*}")
# Read whole first: a grep that stops early would break the pipe of a longer output.
header=$(readelf -hW "$program")
segments=$(readelf -lW "$program")
dynamic=$(readelf -dW "$program")
symbols=$(nm "$program" 2>/dev/null || true)
machine=$(awk -F: '/Machine:/ {gsub(/^ +/, "", $2); print $2}' <<<"$header")

fail() {
    echo " $1: no, $2"
    exit 1
}

if grep -q INTERP <<<"$segments"; then
    hardening-check --nocfprotection "$program"
else
    echo "$program: statically linked, $machine"
    if [[ $(awk '/Type:/ {print $2}' <<<"$header") == DYN ]]; then
        grep -q 'FLAGS_1.*PIE' <<<"$dynamic" || fail "static-pie" "a shared object, not a program"
        echo " Position Independent Executable: yes, static-pie"
        grep -qE 'BIND_NOW|FLAGS_1.* NOW' <<<"$dynamic" || fail "Immediate binding" "no BIND_NOW"
        echo " Immediate binding: yes"
    else
        echo " Position Independent Executable: no, plain static (the C library has no static-pie start files here)"
    fi
    grep -q GNU_RELRO <<<"$segments" || fail "Read-only relocations" "no GNU_RELRO segment"
    echo " Read-only relocations: yes"
    grep GNU_STACK <<<"$segments" | grep -q 'RW ' || fail "Non-executable stack" "$(grep GNU_STACK <<<"$segments")"
    echo " Non-executable stack: yes"
    grep -q ' __stack_chk_fail$' <<<"$symbols" || fail "Stack protected" "no __stack_chk_fail in the program"
    for line in "${compiled[@]}"; do
        [[ $line == *-fstack-protector-strong* ]] || fail "Stack protected" "${line%%$'\t'*} built without it"
    done
    echo " Stack protected: yes"
    for line in "${compiled[@]}"; do
        [[ $line == *-fstack-clash-protection* ]] || fail "Stack clash protection" "${line%%$'\t'*} built without it"
    done
    echo " Stack clash protection: yes (every object of the program's own)"
fi

case $machine in
*X86-64* | *80386*)
    for object in "${objects[@]}"; do
        grep -q 'x86 feature: IBT, SHSTK' <<<"$(readelf -n "$object")" || {
            echo "no IBT and SHSTK marks in $object"
            exit 1
        }
    done
    ;;&
*X86-64*)
    # Every external function of ours in the program: its first instruction is endbr64.
    missing=0
    while read -r address name; do
        first=$(objdump -d --no-show-raw-insn --start-address="0x$address" --stop-address="$((0x$address + 4))" "$program" |
            awk '/^ +[0-9a-f]+:/ {print $2; exit}')
        if [[ $first != endbr64 ]]; then
            echo "function $name does not start with endbr64"
            missing=1
        fi
    done < <(awk '$2 == "T" && $3 ~ /^(main|_Z[0-9]+(print_line|read_clock|render_|write_usage|format_time))/ {print $1, $3}' <<<"$symbols")
    ((missing == 0)) || exit 1
    echo " Control flow integrity of the program's own code: yes (IBT and SHSTK marks on every object, endbr64 on every external function)"
    ;;
*80386*)
    echo " Control flow integrity of the program's own code: yes (IBT and SHSTK marks on every object)"
    ;;
*AArch64*)
    for object in "${objects[@]}"; do
        grep -q 'AArch64 feature: BTI, PAC' <<<"$(readelf -n "$object")" || {
            echo "no BTI and PAC marks in $object"
            exit 1
        }
    done
    echo " Branch protection of the program's own code: yes (BTI and PAC marks on every object)"
    ;;
esac
notes=$(readelf -n "$program" | sed -n 's/^ *Properties: *//p' | paste -sd ';' -)
echo " What the program carries (readelf -n): ${notes:-no property note}"
