#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every check of a build's program, read off the program itself; the test "binary" of each
# build runs it, and any "no" fails:
#   Windows     a console program that loads msvcrt.dll and KERNEL32.dll alone, with ASLR
#               (high entropy when 64-bit) and NX; a version resource carrying the project's
#               version, and a manifest that runs it as the invoker
#   Linux       what it loads and imports: a static program nothing; one with the
#               sanitizers their runtime; any other the C library and a short list of
#               functions, for each import costs a symbol lookup at every start
#   --hardened  the hardening of a Debian package too (the hardened Release builds):
#               a dynamic program (amd64) through Debian's hardening-check; a static one
#               (any architecture) here: static-pie (or plain static where the C library
#               has no start files for it), read-only relocations with immediate binding, a
#               stack that cannot be executed, the stack protector's failure routine linked
#               in, and every object of the program's own built with the stack protector and
#               stack clash protection
# "Control flow integrity" (hardening-check) looks for the IBT and SHSTK marks in the
# program's property note, which the linker leaves out when one input lacks them, as
# Debian 12's C start files and libc.a do. So on x86 this checks what the project controls:
# every object of its own carries both marks (-fcf-protection), and on amd64 every function
# that those objects define externally starts with endbr64; on arm64, the BTI and PAC marks.
# Usage: check-binary.sh BUILD_DIR [--hardened]
set -euo pipefail
build=${1:?usage: check-binary.sh BUILD_DIR [--hardened]}
source=$(cd "$(dirname "$0")/.." && pwd)
program=$build/tstamp
[[ -e $program ]] || program=$build/tstamp.exe

yes() { echo " $1: yes${2:+, $2}"; }
fail() {
    echo " $1: no, $2"
    exit 1
}

if [[ $program == *.exe ]]; then
    dump=$(objdump -p "$program")
    format=$(sed -n 's/^.*file format //p' <<<"$dump")
    echo "$program: $format"
    dlls=$(grep 'DLL Name:' <<<"$dump" | awk '{print $3}' | sort | tr '\n' ' ')
    [[ $dlls == "KERNEL32.dll msvcrt.dll " ]] || fail "Imports" "$dlls"
    yes "Imports KERNEL32.dll and msvcrt.dll alone"
    grep -q 'Subsystem.*(Windows CUI)' <<<"$dump" || fail "Console program" "$(grep Subsystem <<<"$dump")"
    yes "Console program"
    aslr=DYNAMIC_BASE
    [[ $format == pei-x86-64 ]] && aslr=HIGH_ENTROPY_VA
    for flag in DYNAMIC_BASE "$aslr" NX_COMPAT; do
        grep -q "$flag" <<<"$dump" || fail "ASLR and NX" "$(grep DllCharacteristics -A 4 <<<"$dump")"
    done
    yes "ASLR ($aslr) and NX"
    # The version resource (type 16) and the application manifest (type 24).
    version=$(cmake -P "$source/cmake/print_version.cmake")
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
dynsyms=$(readelf --dyn-syms -W "$program")
imports=$(awk '$7 == "UND" && $8 != "" {sub(/@.*/, "", $8); print $8}' <<<"$dynsyms" | sort -u | paste -sd ' ' -)
calls=$(awk '$7 == "UND" && $5 == "GLOBAL" {sub(/@.*/, "", $8); print $8}' <<<"$dynsyms" | sort -u)
symbols=$(nm "$program" 2>/dev/null || true)
machine=$(awk -F: '/Machine:/ {gsub(/^ +/, "", $2); print $2}' <<<"$header")
needed=$(awk '/NEEDED/ {print $5}' <<<"$dynamic" | tr '\n' ' ')
echo "$program: $machine"
if ! grep -q INTERP <<<"$segments"; then
    [[ -z $needed && -z $imports ]] || fail "Nothing to load" "needs $needed, imports $imports"
    yes "Nothing to load" "no dynamic loader, no library, no import"
elif [[ $needed == *libasan* ]]; then
    yes "Carries the address sanitizer"
else
    # The C library, and where the stack guard lives in the dynamic loader (armhf, arm64,
    # riscv64), that loader: both are glibc's.
    [[ $(sed -E 's/\[ld(-linux)?[-.a-z0-9_]*\.so\.[0-9]\] //' <<<"$needed") == "[libc.so.6] " ]] ||
        fail "Needs only the C library" "$needed"
    # The 32-bit targets call the 64-bit clock; on arm64 and armhf the C library's start
    # code calls abort, and on armhf GCC's division-by-zero handler raise.
    allowed=(__libc_start_main __errno_location __stack_chk_fail fclose fputs signal strerror
        time __time64 localtime_r __localtime64_r stdout stderr __stack_chk_guard abort raise)
    extra=$(comm -23 <(echo "$calls") <(printf '%s\n' "${allowed[@]}" | sort) | paste -sd ' ' -)
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

# marks TEXT: every object of the program's own has the property note TEXT.
marks() {
    local object
    for object in "${objects[@]}"; do
        grep -q "$1" <<<"$(readelf -n "$object")" || fail "$1" "not in $object"
    done
}
case $machine in
*X86-64*)
    marks 'x86 feature: IBT, SHSTK'
    # The functions the program's own objects define externally, found in the program: the
    # first instruction of each is endbr64.
    count=0
    while read -r address name; do
        first=$(objdump -d --no-show-raw-insn --start-address="0x$address" --stop-address="$((0x$address + 4))" "$program" |
            awk '/^ +[0-9a-f]+:/ {print $2; exit}')
        [[ $first == endbr64 ]] || fail "Control flow integrity" "function $name starts with $first"
        count=$((count + 1))
    done < <(nm --defined-only -g "${objects[@]}" | awk '$2 == "T" {print $3}' | sort -u |
        awk 'NR == FNR {own[$1]; next} $2 == "T" && $3 in own {print $1, $3}' - <(echo "$symbols"))
    ((count > 0)) || fail "Control flow integrity" "no function of the program's own found in it"
    yes "Control flow integrity of the program's own code" "IBT and SHSTK marks on every object, endbr64 on its $count external functions"
    ;;
*80386*)
    marks 'x86 feature: IBT, SHSTK'
    yes "Control flow integrity of the program's own code" "IBT and SHSTK marks on every object"
    ;;
*AArch64*)
    marks 'AArch64 feature: BTI, PAC'
    yes "Branch protection of the program's own code" "BTI and PAC marks on every object"
    ;;
esac
notes=$(readelf -n "$program" | sed -n 's/^ *Properties: *//p' | paste -sd ';' -)
echo " What the program carries (readelf -n): ${notes:-no property note}"
