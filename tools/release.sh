#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the release artifacts of the current version into dist/, from the project's
# presets as they are (each in its own build/<preset>/, the folder its tests run in), and
# writes dist/SHA256SUMS:
#   source    tstamp-<version>.tar.gz: the tree of the commit checked out (HEAD)
#   <arch>    tstamp_<version>_<arch>.deb for amd64 arm64 armhf i386 ppc64el riscv64 s390x
#   win32     tstamp-<version>-win32.zip: tstamp.exe, LICENSE, README.txt, tstamp.html
#   win64     tstamp-<version>-win64.zip: the same, 64-bit
#   linux-<arch>  tstamp-<version>-linux-<arch>.tar.gz for the same seven architectures:
#             the static program (the C library linked in: musl, glibc for riscv64),
#             the man page, the completions, LICENSE, NOTICE (which C library, and its
#             licence), the C library's copyright (COPYRIGHT.musl) or licence
#             (LICENSE.LGPL-2.1), and a README
#   static    all seven of those
# Usage: tools/release.sh [ARTIFACT ...]   (default: every artifact, into an emptied dist/;
#                                          named ones replace only their own files there)
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
architectures=(amd64 arm64 armhf i386 ppc64el riscv64 s390x)
((${#artifacts[@]} > 0)) || artifacts=(source "${architectures[@]}" win32 win64 static)

# build PRESET TARGET...: the preset's build of what ships, in build/PRESET.
build() {
    echo "==== release.sh: building $1"
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" --target "${@:2}" >/dev/null
}

# The version of project(), which the release build writes beside itself.
build release tstamp man_page debian_changelog
version=$(<build/release/version.txt)

# A release of everything starts from an empty dist/; one of some artifacts replaces only
# those, and SHA256SUMS covers all that dist/ then holds.
(($# > 0)) || rm -rf dist
rm -rf build/dist
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

# static_libc ARCH: the C library that the static program of ARCH links, as its build
# found it: musl, or glibc where Debian 12 has no musl for the architecture.
static_libc() {
    if grep -qx 'tstamp_on_glibc:INTERNAL=1' "build/static-$1/CMakeCache.txt"; then echo glibc; else echo musl; fi
}

# notice ARCH LIBC: the C library inside the static program, its licence, and its source.
notice() {
    local package libc source source_version
    package=musl-dev:$1
    if [[ $2 == glibc ]]; then
        package=libc6-dev
        [[ $1 == amd64 ]] || package=libc6-dev-$1-cross
    fi
    IFS='|' read -r libc source source_version < <(dpkg-query -W -f='${Version}|${source:Package}|${source:Version}\n' "$package")
    if [[ $2 == musl ]]; then
        cat <<EOF
tstamp $version for Linux ($1): the C library inside the program

The program tstamp is statically linked: it holds musl ${libc%%-*}, as Debian 12
builds it for $1 (package $package, version $libc,
from Debian's source package $source $source_version).

musl is free software under the MIT licence, as tstamp is. Its copyright
notice and licence, with the few files of it under other permissive
licences, are in COPYRIGHT.musl beside this file (the copyright file of
Debian's package).

Where the architecture needs them, the program also holds parts of GCC's
runtime library (libgcc), linked in under the GCC Runtime Library Exception.
tstamp itself is under the MIT licence: see LICENSE.
EOF
        return
    fi
    cat <<EOF
tstamp $version for Linux ($1): the C library inside the program

The program tstamp is statically linked: it holds the GNU C Library (glibc)
${libc%%-*}, as Debian 12 builds it for $1 (package $package, version
$libc, from Debian's source package $source $source_version, which
carries glibc's own source). tstamp's other static programs hold musl;
Debian 12 has none for $1.

The GNU C Library is free software under the GNU Lesser General Public
License, version 2.1 or later (LGPL-2.1-or-later); its text is in
LICENSE.LGPL-2.1 beside this file. Its source is Debian's glibc source
package of that version, from Debian's archive or snapshot.debian.org.

You may relink tstamp with another version of the C library, or a changed one.
The source archive of this version, tstamp-$version.tar.gz, holds all of
tstamp's source and builds the program with the C library of the machine it is
built on:

    tar -xzf tstamp-$version.tar.gz && cd tstamp-$version
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTSTAMP_STATIC=ON -DTSTAMP_BUILD_TESTS=OFF && cmake --build build

build/tstamp is the program. To link another C library, point the compiler at
it, for instance with CMAKE_EXE_LINKER_FLAGS or a toolchain file.

The program also holds parts of GCC's runtime libraries (libstdc++, libgcc),
linked in under the GCC Runtime Library Exception. tstamp itself is under the
MIT licence: see LICENSE.
EOF
}

static_tarball() { # static_tarball ARCH
    local preset=static-$1 name=tstamp-$version-linux-$1
    build "$preset" tstamp man_page
    local stage=build/dist/static/$name
    rm -rf build/dist/static
    mkdir -p "$stage/completion"
    cmake --install "build/$preset" --prefix build/dist/static/install --component runtime --strip >/dev/null
    cp build/dist/static/install/bin/tstamp "$stage/"
    cp "build/$preset/man/tstamp.1" LICENSE "$stage/"
    local libc
    libc=$(static_libc "$1")
    if [[ $libc == musl ]]; then
        cp /usr/share/doc/musl-dev/copyright "$stage/COPYRIGHT.musl"
    else
        cp /usr/share/common-licenses/LGPL-2.1 "$stage/LICENSE.LGPL-2.1"
    fi
    cp "build/$preset/completion/tstamp.bash" "build/$preset/completion/_tstamp" \
        "build/$preset/completion/tstamp.fish" "$stage/completion/"
    notice "$1" "$libc" >"$stage/NOTICE"
    sed -e "s/@VERSION@/$version/g" -e "s/@ARCH@/$1/g" -e "s/@LIBC@/$libc/g" \
        packaging/README-linux.txt >"$stage/README"
    find "$stage" -type d -exec chmod 0755 {} +
    find "$stage" -type f -exec chmod 0644 {} +
    chmod 0755 "$stage/tstamp"
    # Fixed order, owner and times.
    tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
        -C build/dist/static -cf - "$name" | gzip -9n >"dist/$name.tar.gz"
}

for artifact in "${artifacts[@]}"; do
    case $artifact in
    source) source_archive ;;
    win32 | win64) windows_zip "$artifact" ;;
    static) for arch in "${architectures[@]}"; do static_tarball "$arch"; done ;;
    linux-*)
        [[ " ${architectures[*]} " == *" ${artifact#linux-} "* ]] || { echo "release.sh: no artifact $artifact" >&2; exit 2; }
        static_tarball "${artifact#linux-}"
        ;;
    *)
        [[ -n ${deb_presets[$artifact]:-} ]] || { echo "release.sh: no artifact $artifact" >&2; exit 2; }
        debian_package "$artifact"
        ;;
    esac
done
(cd dist && sha256sum -- tstamp* >SHA256SUMS)
cat dist/SHA256SUMS
