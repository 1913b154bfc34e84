#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The program as a user gets it: the man page, `cmake --install`, and the Debian package.
#
# Usage: package_test.sh GROUP   (an unknown group exits 2; a group that checks nothing fails)
# Environment: TSTAMP_BUILD (the build folder), TSTAMP_VERSION (the project's version)
set -u
source "$(dirname "$0")/../harness.sh"
require TSTAMP_BUILD TSTAMP_VERSION
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
    output=$("$@" 2>&1) && [[ -z $output ]] || {
        echo "$output"
        return 1
    }
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

group_man() {
    local page=$build/man/tstamp.1
    expect "groff finds nothing to warn about" quiet groff -ww -z -man "$page"
    expect "mandoc finds nothing to warn about" quiet mandoc -T lint "$page"
    expect "man -l shows the page" man_page_reads "$page"
}

group_install() {
    expect "cmake --install" cmake --install "$build" --prefix "$work/prefix"
    expect "bin/tstamp is installed and runs" runs "$work/prefix/bin/tstamp"
    expect "share/man/man1/tstamp.1 is installed" test -f "$work/prefix/share/man/man1/tstamp.1"
    expect "man -l shows the installed page" man_page_reads "$work/prefix/share/man/man1/tstamp.1"
    completions_in "$work/prefix/share"
}

completions_in() { # completions_in SHARE: each shell's completion where it looks, as built
    local file built
    for file in bash-completion/completions/tstamp:tstamp.bash zsh/vendor-completions/_tstamp:_tstamp \
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
    completions_in "$work/root/usr/share"
}

run_group "${1:-}"
