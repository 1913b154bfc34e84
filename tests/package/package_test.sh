#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The program as a user gets it: the man page, `cmake --install`, and the Debian package.
#
# Usage: package_test.sh GROUP   (an unknown group exits 2; a group that checks nothing fails)
# Environment: TSTAMP_BUILD (the build folder), TSTAMP_VERSION (the project's version),
# TSTAMP_SOURCE (the source tree)
set -u
# shellcheck source=tests/harness.sh
source "$(dirname "$0")/../harness.sh"
require TSTAMP_BUILD TSTAMP_VERSION TSTAMP_SOURCE
build=$TSTAMP_BUILD
version=$TSTAMP_VERSION
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expect() { # expect NAME COMMAND...: the command succeeds
    local name=$1
    shift
    if "$@" >"$work/log" 2>&1; then
        pass
    else
        count_failure "$name" "$(head -n 1 "$work/log")"
        sed '1d; s/^/  /' "$work/log" | head -n 20
    fi
}

quiet() { # quiet COMMAND...: the command succeeds and prints nothing at all
    local output
    if ! output=$("$@" 2>&1) || [[ -n $output ]]; then
        echo "$output"
        return 1
    fi
}

# The rendered page has its sections and carries the project's version.
man_page_reads() {
    local text
    text=$(MANWIDTH=80 MANPAGER=cat man -l "$1" 2>&1) || return 1
    local section
    for section in NAME SYNOPSIS DESCRIPTION FORMAT "EXIT STATUS" ENVIRONMENT EXAMPLES NOTES; do
        grep -q "^$section" <<<"$text" || {
            echo "no section $section"
            return 1
        }
    done
    grep -q "tstamp $version" <<<"$text" || {
        echo "no version $version"
        return 1
    }
}

runs() { # runs PROGRAM: prints a four-digit year for +%Y, status 0
    local out
    out=$("$1" +%Y) && [[ $out =~ ^[0-9]{4}$ ]]
}

# The page as man shows it, 80 columns wide.
rendered() { MANWIDTH=80 MANPAGER=cat man -l "$1" 2>/dev/null; }

# No word stands apart from the comma or stop after it (".B UTC ," renders "UTC ,").
punctuation_attached() {
    ! rendered "$1" | grep -nE '[^ ] +[,;:.]( |$)'
}

# Each example's command stands alone on its line, what it prints below it (a short tag
# of .TP runs its text on: "tstamp Tue Mar 14 ...").
examples_alone() {
    local text command count=0
    text=$(rendered "$1" | sed -n '/^EXAMPLES/,/^[A-Z]/p')
    while read -r command; do
        grep -qxF -- "       $command" <<<"$text" || {
            echo "not alone on its line: $command"
            return 1
        }
        count=$((count + 1))
    done < <(sed -n '/^\.SH EXAMPLES/,/^\.SH /s/^\.B "\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' "$1" | sed 's/\\-/-/g')
    ((count > 0)) || { echo "no example found in $1"; return 1; }
}

# Every command block of a Markdown file (lines indented by four blanks after an empty
# line, and any line of prose run on into one) parses as shell: what a reader pastes.
blocks_parse() {
    python3 - "$1" <<'EOF'
import subprocess, sys
blocks, block, after_empty, fenced = [], None, True, False
for number, line in enumerate(open(sys.argv[1]).read().split("\n"), 1):
    fenced ^= line.startswith("```")
    if line.startswith("    ") and not fenced and (block or after_empty):
        block = block or (number, [])
        block[1].append(line[4:])
    elif block:
        if line.strip():
            block[1].append(line)
        blocks.append(block)
        block = None
    after_empty = not line.strip()
blocks += [block] if block else []
if not blocks:
    sys.exit(f"no command block in {sys.argv[1]}")
failed = 0
for number, lines in blocks:
    result = subprocess.run(["bash", "-n"], input="\n".join(lines) + "\n", text=True, capture_output=True)
    if result.returncode:
        failed += 1
        print(f"line {number}: {result.stderr.strip()}")
sys.exit(failed)
EOF
}

group_man() {
    local page=$build/man/tstamp.1
    expect "groff finds nothing to warn about" quiet groff -ww -z -man "$page"
    expect "mandoc finds nothing to warn about" quiet mandoc -T lint "$page"
    expect "man -l shows the page" man_page_reads "$page"
    expect "no word apart from the punctuation after it" punctuation_attached "$page"
    expect "each example's command on a line of its own" examples_alone "$page"
    expect "every command block of README.md parses as shell" blocks_parse "$TSTAMP_SOURCE/README.md"
    expect "every command block of HACKING.md parses as shell" blocks_parse "$TSTAMP_SOURCE/HACKING.md"
    expect "README.md and HACKING.md name the artifacts of this version" names_this_version \
        "$TSTAMP_SOURCE/README.md" "$TSTAMP_SOURCE/HACKING.md"
    expect "README.md's measured figures are those of HACKING.md's Benchmarks" figures_measured \
        "$TSTAMP_SOURCE/README.md" "$TSTAMP_SOURCE/HACKING.md"
    expect "HACKING.md's Layout names every file of cmake/ but the toolchain files" layout_complete \
        "$TSTAMP_SOURCE/HACKING.md"
}

# figures_measured README HACKING: every figure of README's written with thousands
# separators (sizes in bytes, instruction counts) stands in HACKING's Benchmarks table,
# where it was measured; and README has some.
figures_measured() {
    local figures benchmarks figure
    figures=$(grep -oE '\b[0-9]{1,3}(,[0-9]{3})+\b' "$1" | sort -u)
    benchmarks=$(sed -n '/^## Benchmarks/,/^## /p' "$2")
    [[ -n $figures ]] || { echo "no figure in $1"; return 1; }
    for figure in $figures; do
        grep -qE "(^|[^0-9,])$figure([^0-9,]|$)" <<<"$benchmarks" || { echo "$figure is not in HACKING.md's Benchmarks"; return 1; }
    done
}

# layout_complete HACKING: its Layout names each file of cmake/ (the toolchain files as a kind).
layout_complete() {
    local layout file
    layout=$(sed -n '/^## Layout/,/^## /p' "$1")
    for file in "$TSTAMP_SOURCE"/cmake/*; do
        file=${file##*/}
        [[ $file == toolchain-*.cmake ]] && continue
        [[ $layout == *"\`$file\`"* ]] || { echo "cmake/$file is not in HACKING.md's Layout"; return 1; }
    done
}

# names_this_version FILE...: every artifact name in them (tstamp-X.Y.Z, tstamp_X.Y.Z) is of
# the project's version.
names_this_version() {
    local other
    other=$(grep -ohE 'tstamp[-_][0-9]+\.[0-9]+\.[0-9]+' "$@" | grep -vE "^tstamp[-_]${version//./\\.}$" | sort -u)
    [[ -z $other ]] || { echo "names $other, not $version"; return 1; }
}

group_install() {
    expect "cmake --install" cmake --install "$build" --prefix "$work/prefix"
    expect "bin/tstamp is installed and runs" runs "$work/prefix/bin/tstamp"
    expect "share/man/man1/tstamp.1 is installed" test -f "$work/prefix/share/man/man1/tstamp.1"
    expect "man -l shows the installed page" man_page_reads "$work/prefix/share/man/man1/tstamp.1"
    # zsh's completion: under /usr where Debian's zsh looks, under any other prefix where
    # zsh's own fpath looks (it names /usr/local/share/zsh/site-functions).
    completions_in "$work/prefix/share" site-functions
    expect "DESTDIR, --prefix /usr" env DESTDIR="$work/root" cmake --install "$build" --prefix /usr
    completions_in "$work/root/usr/share" vendor-completions
    expect "zsh's own fpath names /usr/local/share/zsh/site-functions" \
        grep -qx /usr/local/share/zsh/site-functions <<<"$(zsh -f -c 'print -l $fpath')"
}

completions_in() { # completions_in SHARE ZSH_FOLDER: each shell's completion where it looks, as built
    local file built
    for file in bash-completion/completions/tstamp:tstamp.bash "zsh/$2/_tstamp:_tstamp" \
        fish/vendor_completions.d/tstamp.fish:tstamp.fish; do
        IFS=: read -r file built <<<"$file"
        expect "$file is the built $built" cmp "$1/$file" "$build/completion/$built"
    done
}

group_deb() {
    expect "cpack builds the package" cpack --config "$build/CPackConfig.cmake" -B "$work/package"
    local deb
    deb="$work/package/tstamp_${version}_$(dpkg --print-architecture).deb"
    expect "the package is named tstamp_<version>_<arch>.deb" test -f "$deb"
    expect "package name" test "$(dpkg-deb -f "$deb" Package)" = tstamp
    expect "version from the project" test "$(dpkg-deb -f "$deb" Version)" = "$version"
    expect "section utils" test "$(dpkg-deb -f "$deb" Section)" = utils
    expect "dependencies from dpkg-shlibdeps" grep -q '^libc6 (>= ' <<<"$(dpkg-deb -f "$deb" Depends)"
    expect "a real description" test "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 2
    local as_root=()
    [[ $(id -u) == 0 ]] && as_root=(--allow-root)
    expect "lintian finds no error and no warning" lintian --fail-on error,warning "${as_root[@]}" "$deb"
    dpkg-deb -x "$deb" "$work/root"
    local page=$work/root/usr/share/man/man1/tstamp.1.gz
    expect "the man page is compressed" gzip -t "$page"
    # gzip -9n: no name flag (byte 3) and no time stamp (bytes 4 to 7) in the header.
    expect "compressed without name or time stamp" test "$(od -An -tx1 -j3 -N5 "$page" | tr -d ' ')" = 0000000000
    expect "no uncompressed page in the package" test ! -e "$work/root/usr/share/man/man1/tstamp.1"
    expect "the packaged program runs" runs "$work/root/usr/bin/tstamp"
    expect "the packaged program is stripped" grep -q ', stripped' <<<"$(file -b "$work/root/usr/bin/tstamp")"
    expect "man -l shows the packaged page" man_page_reads "$page"
    completions_in "$work/root/usr/share" vendor-completions
}

run_group "${1:-}"
