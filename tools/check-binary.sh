#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every check of a build's program, read off the program itself; the test "binary" of each
# build runs it, and any "no" fails:
#   Windows     a console program that loads the DLLs of its target's facts alone, with
#               ASLR (high entropy when 64-bit) and NX; a version resource carrying the
#               project's version, and a manifest that runs it as the invoker
#   Linux       what it loads and imports: a static program nothing; one with the
#               sanitizers their runtime; any other the C library and the functions of its
#               target's facts, for each import costs a symbol lookup at every start; a
#               static program on musl, musl's simple allocator alone (no free, no
#               realloc: they bring its full allocator, 8 KiB on amd64)
#   --hardened  the hardening of a Debian package too (the hardened Release builds):
#               a dynamic program (amd64) through Debian's hardening-check; a static one
#               (any architecture) here: static-pie (or plain static where the C library
#               has no start files for it), read-only relocations with immediate binding, a
#               stack that cannot be executed, the stack protector's failure routine linked
#               in, and every object of the program's own built with the stack protector and
#               stack clash protection
# "Control flow integrity" (hardening-check) looks for the IBT and SHSTK marks in the
# program's property note, which the linker leaves out when one input lacks them, as
# Debian 12's C start files and libc.a do. So this checks what the project controls, as
# its architecture's facts say (cmake/architectures.cmake): the control-flow note of every
# object of its own, and the first instruction of every function those objects define
# externally.
#
# The target's facts come from its build (tests/CMakeLists.txt), in the environment; a
# build without them fails here, naming what is missing:
#   TSTAMP_IMPORTS  the DLLs (Windows) or functions and variables (Linux) it may import
#   TSTAMP_MARKS    the control-flow note of its objects, or "-" for none (Linux)
#   TSTAMP_ENTRY    the instructions its functions may start with, or "-" (Linux)
#   TSTAMP_OBJDUMP  the target's objdump
#   TSTAMP_LIBC     its C library: glibc, musl or msvcrt
# Usage: check-binary.sh BUILD_DIR [--hardened]
set -euo pipefail
build=${1:?usage: check-binary.sh BUILD_DIR [--hardened]}
source=$(cd "$(dirname "$0")/.." && pwd)
program=$build/tstamp
[[ -e $program ]] || program=$build/tstamp.exe
facts=(TSTAMP_IMPORTS TSTAMP_OBJDUMP TSTAMP_LIBC)
[[ $program == *.exe ]] || facts+=(TSTAMP_MARKS TSTAMP_ENTRY)
for fact in "${facts[@]}"; do
    [[ -n ${!fact:-} ]] || { echo "check-binary.sh: no $fact: the build gives its target's facts (cmake/architectures.cmake)"; exit 1; }
done

yes() { echo " $1: yes${2:+, $2}"; }
fail() {
    echo " $1: no, $2"
    exit 1
}

if [[ $program == *.exe ]]; then
    dump=$("$TSTAMP_OBJDUMP" -p "$program")
    format=$(sed -n 's/^.*file format //p' <<<"$dump")
    echo "$program: $format"
    dlls=$(grep 'DLL Name:' <<<"$dump" | awk '{print $3}' | sort | paste -sd ' ' -)
    [[ $dlls == "$(tr ' ' '\n' <<<"$TSTAMP_IMPORTS" | sort | paste -sd ' ' -)" ]] || fail "Imports $TSTAMP_IMPORTS alone" "$dlls"
    yes "Imports $TSTAMP_IMPORTS alone"
    grep -q 'Subsystem.*(Windows CUI)' <<<"$dump" || fail "Console program" "$(grep Subsystem <<<"$dump")"
    yes "Console program"
    aslr=DYNAMIC_BASE
    [[ $format == pei-x86-64 ]] && aslr=HIGH_ENTROPY_VA
    for flag in DYNAMIC_BASE "$aslr" NX_COMPAT; do
        grep -q "$flag" <<<"$dump" || fail "ASLR and NX" "$(grep DllCharacteristics -A 4 <<<"$dump")"
    done
    yes "ASLR ($aslr) and NX"
    # The version resource (type 16) and the application manifest (type 24).
    version=${TSTAMP_VERSION:?the build gives its version}
    strings=$(wrestool -x --raw --type=16 "$program" | strings -el)
    for key in FileVersion ProductVersion; do
        [[ $(grep -A 1 -x "$key" <<<"$strings" | tail -n 1) == "$version" ]] || fail "$key $version" "$(tr '\n' ' ' <<<"$strings")"
    done
    [[ $(grep -A 1 -x OriginalFilename <<<"$strings" | tail -n 1) == tstamp.exe ]] ||
        fail "OriginalFilename tstamp.exe" "$(tr '\n' ' ' <<<"$strings")"
    yes "Version resource" "FileVersion and ProductVersion $version, OriginalFilename tstamp.exe"
    wrestool -x --raw --type=24 "$program" | grep -q 'level="asInvoker"' || fail "Manifest" "$(wrestool -l "$program")"
    yes "Manifest that runs it as the invoker"
    exit 0
fi

# Read whole first: a grep that stops early would break the pipe of a longer output.
header=$(readelf -hW "$program")
segments=$(readelf -lW "$program")
dynamic=$(readelf -dW "$program")
# Imported names; the weak ones the C library's start files name are not calls of its.
# (ppc64el puts "[<localentry>: 8]" before the section of a function.)
dynsyms=$(readelf --dyn-syms -W "$program" | sed -E 's/\[<localentry>: [0-9]+\] +//')
imports=$(awk '$7 == "UND" && $8 != "" {sub(/@.*/, "", $8); print $8}' <<<"$dynsyms" | sort -u | paste -sd ' ' -)
calls=$(awk '$7 == "UND" && $5 == "GLOBAL" {sub(/@.*/, "", $8); print $8}' <<<"$dynsyms" | sort -u)
symbols=$(nm "$program" 2>/dev/null || true)
machine=$(awk -F: '/Machine:/ {gsub(/^ +/, "", $2); print $2}' <<<"$header")
needed=$(awk '/NEEDED/ {print $5}' <<<"$dynamic" | tr '\n' ' ')
echo "$program: $machine"
if ! grep -q INTERP <<<"$segments"; then
    [[ -z $needed && -z $imports ]] || fail "Nothing to load" "needs $needed, imports $imports"
    yes "Nothing to load" "no dynamic loader, no library, no import"
    if [[ $TSTAMP_LIBC == musl ]]; then
        allocator=$(awk '$2 ~ /^[TtWw]$/ && ($3 == "free" || $3 == "realloc" || $3 == "__libc_free") {print $3}' <<<"$symbols" |
            sort -u | paste -sd ' ' -)
        [[ -z $allocator ]] || fail "musl's simple allocator alone" "the program has $allocator"
        yes "musl's simple allocator alone" "no free, no realloc"
    fi
elif [[ $needed == *libasan* ]]; then
    yes "Carries the address sanitizer"
else
    # The C library, and where the stack guard lives in the dynamic loader (armhf, arm64,
    # riscv64), that loader: both are glibc's.
    [[ $(sed -E 's/\[ld(-linux)?[-.a-z0-9_]*\.so\.[0-9]\] //' <<<"$needed") == "[libc.so.6] " ]] ||
        fail "Needs only the C library" "$needed"
    extra=$(comm -23 <(echo "$calls") <(tr ' ' '\n' <<<"$TSTAMP_IMPORTS" | sort) | paste -sd ' ' -)
    [[ -z $extra ]] || fail "Imports only what it must" "new: $extra"
    yes "Needs only the C library, imports only what it must"
fi
[[ ${2:-} == --hardened ]] || exit 0

# The program's objects and their compile commands: those the compile database names for
# the sources in src/, one "OBJECT<tab>COMMAND" a line.
mapfile -t compiled < <(python3 -c 'import json, os, shlex, sys
for entry in json.load(open(os.path.join(sys.argv[1], "compile_commands.json"))):
    if os.path.dirname(os.path.realpath(entry["file"])) == os.path.realpath(sys.argv[2]):
        words = shlex.split(entry["command"])
        print(os.path.join(entry["directory"], words[words.index("-o") + 1]) + "\t" + entry["command"])' \
    "$build" "$source/src")
((${#compiled[@]} > 0)) || fail "Objects of the program" "none in $build/compile_commands.json"
objects=("${compiled[@]%%$'\t'*}")

if grep -q INTERP <<<"$segments"; then
    hardening-check --nocfprotection "$program"
else
    if [[ $(awk '/Type:/ {print $2}' <<<"$header") == DYN ]]; then
        grep -q 'FLAGS_1.*PIE' <<<"$dynamic" || fail "Position Independent Executable" "a shared object, not a program"
        yes "Position Independent Executable" "static-pie"
        grep -qE 'BIND_NOW|FLAGS_1.* NOW' <<<"$dynamic" || fail "Immediate binding" "no BIND_NOW"
        yes "Immediate binding"
    else
        echo " Position Independent Executable: no, plain static (the C library has no static-pie start files here)"
    fi
    grep -q GNU_RELRO <<<"$segments" || fail "Read-only relocations" "no GNU_RELRO segment"
    yes "Read-only relocations"
    grep GNU_STACK <<<"$segments" | grep -q 'RW ' || fail "Non-executable stack" "$(grep GNU_STACK <<<"$segments")"
    yes "Non-executable stack"
    grep -q ' __stack_chk_fail$' <<<"$symbols" || fail "Stack protected" "no __stack_chk_fail in the program"
    for flag in -fstack-protector-strong -fstack-clash-protection; do
        for line in "${compiled[@]}"; do
            [[ $line == *"$flag"* ]] || fail "Built with $flag" "${line%%$'\t'*} built without it"
        done
    done
    yes "Stack protected, stack clash protection" "every object of the program's own"
fi

# The control-flow note of every object of the program's own, and the first instruction of
# every function those objects define externally, found in the program.
if [[ $TSTAMP_MARKS == - ]]; then
    echo " Control-flow marks: none on this architecture"
else
    for object in "${objects[@]}"; do
        grep -q "$TSTAMP_MARKS" <<<"$(readelf -n "$object")" || fail "$TSTAMP_MARKS" "not in $object"
    done
    yes "Control-flow marks of the program's own code" "$TSTAMP_MARKS on every object"
fi
if [[ $TSTAMP_ENTRY == - ]]; then
    echo " Function entries: nothing to check on this architecture"
else
    # The functions that the program's own objects define externally, where the program has
    # them. (i386's __x86.get_pc_thunk.* are the compiler's, called directly and never
    # through a pointer: they need no landing pad.)
    functions=$(nm --defined-only -g "${objects[@]}" | awk '$2 == "T" && $3 !~ /^__x86\.get_pc_thunk\./ {print $3}' |
        sort -u | awk 'NR == FNR {own[$1]; next} $2 == "T" && $3 in own {print $1, $3}' - <(echo "$symbols"))
    [[ -n $functions ]] || fail "Function entries" "no function of the program's own found in it"
    count=0
    while read -r address name; do
        first=$("$TSTAMP_OBJDUMP" -d --no-show-raw-insn --start-address="0x$address" --stop-address="$((0x$address + 4))" "$program" |
            awk '/^ +[0-9a-f]+:/ {print $2; exit}')
        [[ " $TSTAMP_ENTRY " == *" $first "* ]] || fail "Function entries" "function $name starts with $first, not $TSTAMP_ENTRY"
        count=$((count + 1))
    done <<<"$functions"
    yes "Function entries" "each of its $count external functions starts with ${TSTAMP_ENTRY// / or }"
fi
notes=$(readelf -n "$program" | sed -n 's/^ *Properties: *//p' | paste -sd ';' -)
echo " What the program carries (readelf -n): ${notes:-no property note}"
