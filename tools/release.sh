#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the release artifacts of the current version into dist/, from the project's
# presets as they are (each in its own build/<preset>/, the folder its tests run in), and
# writes dist/SHA256SUMS:
#   source    tstamp-<version>.tar.gz: the tree of the commit checked out (HEAD)
#   <arch>    tstamp_<version>_<arch>.deb for amd64 arm64 armhf i386 ppc64el riscv64 s390x
#   win32     tstamp-<version>-win32.zip: tstamp.exe, LICENSE, README.txt, tstamp.html
#   win64     tstamp-<version>-win64.zip: the same, 64-bit
# Usage: tools/release.sh [ARTIFACT ...]   (default: every artifact)
#
# The bytes depend only on the commit: every time stamp is SOURCE_DATE_EPOCH, which is the
# commit's time unless it is set.
set -euo pipefail
cd "$(dirname "$0")/.."
commit_time=$(git log -1 --format=%ct) || { echo "release.sh: needs a git checkout" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$commit_time}
export TZ=UTC LC_ALL=C
umask 022

declare -A deb_presets=([amd64]=release [arm64]=linux-arm64 [armhf]=linux-armhf [i386]=linux-i386
    [ppc64el]=linux-ppc64el [riscv64]=linux-riscv64 [s390x]=linux-s390x)
declare -A zip_presets=([win32]=windows-x86 [win64]=windows-x64)
artifacts=("$@")
((${#artifacts[@]} > 0)) || artifacts=(source amd64 arm64 armhf i386 ppc64el riscv64 s390x win32 win64)

# build PRESET TARGET...: the preset's build of what ships, in build/PRESET.
build() {
    echo "==== release.sh: building $1"
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" --target "${@:2}" >/dev/null
}

# The version of project(), which the release build writes beside itself.
build release tstamp man_page debian_changelog
version=$(<build/release/version.txt)

rm -rf dist build/dist
mkdir -p dist build/dist

# The manual for Windows users, as a web page rendered from the man page.
manual_html() {
    mandoc -T html -O fragment build/release/man/tstamp.1 |
        sed '1i <!DOCTYPE html>\n<html><head><meta charset="utf-8"><title>tstamp(1)</title></head><body>' |
        sed '$a </body></html>'
}

# crlf < FILE: the text with CR LF line ends.
crlf() { sed 's/$/\r/'; }

source_archive() {
    git -c tar.umask=0022 archive --format=tar --prefix="tstamp-$version/" HEAD | gzip -9n >"dist/tstamp-$version.tar.gz"
}

debian_package() { # debian_package ARCH
    local preset=${deb_presets[$1]}
    build "$preset" tstamp man_page debian_changelog
    cpack --config "build/$preset/CPackConfig.cmake" -B "build/dist/$1" >/dev/null
    cp "build/dist/$1/tstamp_${version}_$1.deb" dist/
}

windows_zip() { # windows_zip win32|win64
    local preset=${zip_presets[$1]} name=tstamp-$version-$1 bits=32-bit
    [[ $1 == win64 ]] && bits=64-bit
    build "$preset" tstamp
    local stage=build/dist/zip/$name
    rm -rf build/dist/zip
    mkdir -p "$stage"
    cmake --install "build/$preset" --prefix "build/dist/zip/install" --component runtime --strip >/dev/null
    cp build/dist/zip/install/bin/tstamp.exe "$stage/"
    crlf <LICENSE >"$stage/LICENSE"
    sed -e "s/@VERSION@/$version/" -e "s/@BITS@/$bits/" packaging/README-windows.txt | crlf >"$stage/README.txt"
    manual_html | crlf >"$stage/tstamp.html"
    chmod 0755 "$stage"
    chmod 0644 "$stage"/*
    touch -d "@$SOURCE_DATE_EPOCH" "$stage" "$stage"/*
    # Fixed order, no extra attributes, times as set above.
    (cd build/dist/zip && zip -X -q "../../../dist/$name.zip" "$name/" "$name/LICENSE" "$name/README.txt" \
        "$name/tstamp.exe" "$name/tstamp.html")
}

for artifact in "${artifacts[@]}"; do
    case $artifact in
    source) source_archive ;;
    win32 | win64) windows_zip "$artifact" ;;
    *)
        [[ -n ${deb_presets[$artifact]:-} ]] || { echo "release.sh: no artifact $artifact" >&2; exit 2; }
        debian_package "$artifact"
        ;;
    esac
done
(cd dist && sha256sum -- tstamp* >SHA256SUMS)
cat dist/SHA256SUMS
