#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds release artifacts of the current version into dist/, each from the build of its
# target's preset as it is (the folder its tests run in), and writes dist/SHA256SUMS:
#   source        tstamp-<version>.tar.gz: the tree of the commit checked out (HEAD)
#   <arch>        tstamp_<version>_<arch>.deb: cpack's Debian package of the build for <arch>
#   linux-<arch>  tstamp-<version>-linux-<arch>.tar.gz: the static program and its files
#   win32, win64  tstamp-<version>-win32.zip (-win64.zip): the Windows program and its files
#   static        every linux-<arch>
# cmake/targets.cmake names the targets and their artifacts; an archive holds the folder
# its build installs as component dist (cmake/dist.cmake), packed as it is.
# Usage: tools/release.sh [ARTIFACT ...]   (default: every artifact, into an emptied dist/;
#                                          named ones replace only their own files there)
# The bytes depend only on the commit: every time stamp is SOURCE_DATE_EPOCH (default: its time).
set -euo pipefail
cd "$(dirname "$0")/.."
commit_time=$(git log -1 --format=%ct) || { echo "release.sh: needs a git checkout" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$commit_time}
export TZ=UTC LC_ALL=C
umask 022
version=$(cmake -P cmake/print_version.cmake)
# The version released is CHANGELOG.md's first section, dated, and nothing waits unreleased.
first=$(grep -m 1 -E '^## [0-9]' CHANGELOG.md || true)
[[ $first =~ ^"## $version - "[0-9]{4}-[0-9]{2}-[0-9]{2}$ ]] ||
    { echo "release.sh: the first version in CHANGELOG.md is '$first', not '## $version - <date>'" >&2; exit 1; }
waiting=$(awk '/^## / {open = ($2 == "Unreleased")} open && /^- /' CHANGELOG.md)
[[ -z $waiting ]] || { echo "release.sh: CHANGELOG.md has entries under Unreleased; release them as $version first" >&2; exit 1; }

declare -A preset_of
while read -r preset artifact _; do preset_of[$artifact]=$preset; done < <(cmake -P cmake/targets.cmake)
mapfile -t known < <(printf '%s\n' source "${!preset_of[@]}" | sort)
mapfile -t deb_presets < <(cpack --list-presets | sed -n 's/^ *"\(.*\)".*/\1/p')
artifacts=()
for artifact in "${@:-${known[@]}}"; do
    if [[ $artifact == static ]]; then
        for one in "${known[@]}"; do [[ $one != linux-* ]] || artifacts+=("$one"); done
    elif [[ " ${known[*]} " == *" $artifact "* ]]; then
        artifacts+=("$artifact")
    else
        echo "release.sh: no artifact $artifact (there are: ${known[*]} static)" >&2
        exit 2
    fi
done

# A release of everything starts from an empty dist/; one of some artifacts replaces only
# those, and SHA256SUMS covers all that dist/ then holds.
(($# > 0)) || rm -rf dist
mkdir -p dist
dist=$PWD/dist
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

release() { # release ARTIFACT
    local preset=${preset_of[$1]} stage=$work/$1 name files
    echo "==== release.sh: $1, from the $preset build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target release_files >/dev/null
    if [[ " ${deb_presets[*]} " == *" $preset "* ]]; then
        cpack --preset "$preset" -B "$stage" >/dev/null
        cp "$stage/tstamp_${version}_$1.deb" dist/
        return
    fi
    cmake --install "build/$preset" --prefix "$stage" --component dist --strip >/dev/null
    name=$(ls "$stage")
    find "$stage" -type d -exec chmod 0755 {} +
    find "$stage" -type f -exec chmod 0644 {} +
    if [[ -e $stage/$name/tstamp.exe ]]; then
        # Fixed order, no extra attributes, every time SOURCE_DATE_EPOCH.
        find "$stage" -exec touch -d "@$SOURCE_DATE_EPOCH" {} +
        mapfile -t files < <(cd "$stage" && find "$name" -type f | sort)
        (cd "$stage" && zip -X -q "$dist/$name.zip" "$name/" "${files[@]}")
    else
        chmod 0755 "$stage/$name/tstamp"
        # Fixed order, owner and times.
        tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
            -C "$stage" -cf - "$name" | gzip -9n >"dist/$name.tar.gz"
    fi
}

for artifact in "${artifacts[@]}"; do
    if [[ $artifact == source ]]; then
        git -c tar.umask=0022 archive --format=tar --prefix="tstamp-$version/" HEAD |
            gzip -9n >"dist/tstamp-$version.tar.gz"
    else
        release "$artifact"
    fi
done
(cd dist && sha256sum -- tstamp* >SHA256SUMS)
cat dist/SHA256SUMS
