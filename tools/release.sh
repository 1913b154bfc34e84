#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds release artifacts of the current version, each from the build of its target's
# preset as it is (the folder its tests ran in), and writes SHA256SUMS beside them:
#   source        tstamp-<version>.tar.gz: the tree of the commit checked out (HEAD)
#   <arch>        tstamp_<version>_<arch>.deb: cpack's Debian package of the build for <arch>
#   linux-<arch>  tstamp-<version>-linux-<arch>.tar.gz: the static program and its files
#   win32, win64  tstamp-<version>-win32.zip (-win64.zip): the Windows program and its files
#   win32-msi, win64-msi  tstamp-<version>-win32.msi (-win64.msi): the same files in a Windows
#                 installer (tools/msi.sh), which puts them on the PATH
#   static        every linux-<arch>
#   apt           apt/: a signed apt repository (suite stable, component main) of the .debs
#                 in the folder, which any web server can serve; not made unsigned
# cmake/targets.cmake names the targets, their artifacts and what kind each is; an archive
# holds the folder its build installs as component dist (cmake/dist.cmake), packed as it is.
#
# A build is packed only when its tests passed on the program it has now: the stamp
# <build>/tests-passed that its last test writes (cmake/program_tests.cmake) holds that
# program's SHA-256. A release (into dist/) is made from a clean tree only, whose tracked
# files are those of HEAD, and of a version whose dated section is the first in
# CHANGELOG.md with nothing waiting under Unreleased (cmake/changelog.cmake). A trial
# (--trial, what tools/test.sh runs) goes through the same steps but allows uncommitted
# changes and unreleased entries, and writes into build/release-trial/, which says that it
# is not a release.
#
# Beside each binary artifact goes its SBOM, <artifact>.cdx.json (CycloneDX 1.6, made by
# tools/sbom.py from the link of its build's program), and beside every file
# <file>.sha256, which `sha256sum -c` checks in the folder; SHA256SUMS lists them all, and SHA256SUMS.asc is a detached OpenPGP signature of it, with
# the signing key's public half beside it, armoured (signing-key.asc) and as gpgv reads it
# (signing-key.pgp). The key comes from the environment and never from the tree:
#   TSTAMP_SIGNING_KEY   the path of an exported OpenPGP secret key without a passphrase
# A release without it refuses unless told --unsigned, and then says so in its last line;
# a trial without it signs with a throwaway key made for that run.
# Usage: tools/release.sh [--trial] [--unsigned] [ARTIFACT ...]   (default: every
#        artifact, into an emptied folder; named ones replace only their own files there)
# The bytes depend only on the commit: every time stamp is SOURCE_DATE_EPOCH (default: its
# time). The signature is not among them: it holds the key and the time it was made.
set -euo pipefail
cd "$(dirname "$0")/.."
trial=0
unsigned=0
while [[ ${1:-} == --* ]]; do
    case $1 in
    --trial) trial=1 ;;
    --unsigned) unsigned=1 ;;
    *) echo "release.sh: no option $1 (there are --trial and --unsigned)" >&2; exit 2 ;;
    esac
    shift
done
commit_time=$(git log -1 --format=%ct) || { echo "release.sh: needs a git checkout" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$commit_time}
export TZ=UTC LC_ALL=C
umask 022

# changelog [-DRELEASE=ON]: "<version> <date>" from cmake/changelog.cmake, or its refusal in
# one line.
changelog() {
    local out
    out=$(cmake "$@" -P cmake/changelog.cmake 2>&1) ||
        { echo "release.sh: $(grep -v '^CMake Error' <<<"$out" | sed 's/^ *//' | paste -sd ' ' -)" >&2; return 1; }
    echo "$out"
}

declare -A preset_of kind_of
while read -r preset artifact kind _; do
    preset_of[$artifact]=$preset
    kind_of[$artifact]=$kind
done < <(cmake -P cmake/targets.cmake)
mapfile -t known < <(printf '%s\n' source "${!preset_of[@]}" | sort)
everything=0
(($# > 0)) || { everything=1 && set -- "${known[@]}" apt; }
artifacts=()
apt=0
for artifact in "$@"; do
    if [[ $artifact == apt ]]; then
        apt=1
    elif [[ $artifact == static ]]; then
        for one in "${known[@]}"; do [[ ${kind_of[$one]:-} != tarball ]] || artifacts+=("$one"); done
    elif [[ -n $artifact && " ${known[*]} " == *" $artifact "* ]]; then
        artifacts+=("$artifact")
    else
        echo "release.sh: no artifact '$artifact' (there are: ${known[*]} static apt)" >&2
        exit 2
    fi
done

if ((trial)); then
    facts=$(changelog) || exit 1
    dist=build/release-trial
else
    facts=$(changelog -DRELEASE=ON) || exit 1
    changed=$(git status --porcelain --untracked-files=no | cut -c 4-)
    if [[ -n $changed ]]; then
        echo "release.sh: the tree differs from HEAD in $(paste -sd ' ' - <<<"$changed"); commit them first" \
            "(or make a trial with --trial)" >&2
        exit 1
    fi
    dist=dist
fi
read -r version _ <<<"$facts"
if ((!trial && !unsigned)) && [[ ! -r ${TSTAMP_SIGNING_KEY:-} ]]; then
    echo "release.sh: no signing key: set TSTAMP_SIGNING_KEY to the path of the exported secret key" \
        "(or make an unsigned release with --unsigned)" >&2
    exit 1
fi

# A release of everything starts from an empty folder; one of some artifacts replaces only
# those, and SHA256SUMS covers all that the folder then holds.
((everything == 0)) || rm -rf "$dist"
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
if ((trial)); then
    echo "A trial of tools/release.sh --trial: NOT A RELEASE. Built from a tree that may hold" \
        "uncommitted changes, with entries that may wait under Unreleased." >"$dist/NOT-A-RELEASE"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Authenticode, when the environment names a code-signing certificate and its key:
#   TSTAMP_AUTHENTICODE_CERT  the certificate (and any intermediate ones), PEM
#   TSTAMP_AUTHENTICODE_KEY   its private key, PEM, without a passphrase
# Then each Windows program is signed before it is packed, and each installer after it is
# made. The tests' stamp covers the unsigned program; a signature changes nothing else.
authenticode=0
if [[ -n ${TSTAMP_AUTHENTICODE_CERT:-}${TSTAMP_AUTHENTICODE_KEY:-} ]]; then
    [[ -r ${TSTAMP_AUTHENTICODE_CERT:-} && -r ${TSTAMP_AUTHENTICODE_KEY:-} ]] ||
        { echo "release.sh: set both TSTAMP_AUTHENTICODE_CERT and TSTAMP_AUTHENTICODE_KEY to readable files" >&2; exit 1; }
    authenticode=1
fi
# authenticode_sign FILE: FILE signed in place (SHA-256).
authenticode_sign() {
    osslsigncode sign -certs "$TSTAMP_AUTHENTICODE_CERT" -key "$TSTAMP_AUTHENTICODE_KEY" -h sha256 -n tstamp \
        -in "$1" -out "$1.signed" >/dev/null
    mv "$1.signed" "$1"
}

# sbom FILE PROGRAM PRESET [DEPENDS]: FILE.cdx.json, the SBOM of artifact FILE, whose program
# PROGRAM the build of PRESET linked (tools/sbom.py reads that link's map).
sbom() {
    tools/sbom.py --artifact "$1" --version "$version" --program "$2" --build "build/$3" --depends "${4:-}" \
        >"$dist/$1.cdx.json"
}

release() { # release ARTIFACT
    local preset=${preset_of[$1]} stage=$work/$1 name files program stamp
    echo "==== release.sh: $1, from the $preset build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target release_files >/dev/null
    program=build/$preset/tstamp
    [[ -e $program ]] || program=$program.exe
    stamp=build/$preset/tests-passed
    if [[ ! -e $stamp || $(sha256sum <"$program" | cut -d ' ' -f 1) != $(cut -d ' ' -f 1 "$stamp") ]]; then
        echo "release.sh: the tests of the $preset build have not passed on its program as it is now;" \
            "run them first (cmake --workflow --preset $preset, or tools/test.sh)" >&2
        return 1
    fi
    if [[ ${kind_of[$1]} == deb ]]; then
        name=tstamp_${version}_$1.deb
        cpack --preset "$preset" -B "$stage" >/dev/null
        cp "$stage/$name" "$dist/"
        dpkg-deb --fsys-tarfile "$dist/$name" | tar -xO ./usr/bin/tstamp >"$stage/tstamp"
        sbom "$name" "$stage/tstamp" "$preset" "$(dpkg-deb -f "$dist/$name" Depends)"
        return
    fi
    cmake --install "build/$preset" --prefix "$stage" --component dist --strip >/dev/null
    name=$(ls "$stage")
    find "$stage" -type d -exec chmod 0755 {} +
    find "$stage" -type f -exec chmod 0644 {} +
    if [[ ${kind_of[$1]} == zip || ${kind_of[$1]} == msi ]]; then
        # The SBOM names the program unsigned; a signature comes after it, and inside the
        # archive or installer.
        sbom "$name.${kind_of[$1]}" "$stage/$name/tstamp.exe" "$preset"
        ((!authenticode)) || authenticode_sign "$stage/$name/tstamp.exe"
        # Fixed order, no extra attributes, every time SOURCE_DATE_EPOCH.
        find "$stage" -exec touch -d "@$SOURCE_DATE_EPOCH" {} +
        if [[ ${kind_of[$1]} == zip ]]; then
            mapfile -t files < <(cd "$stage" && find "$name" -type f | sort)
            (cd "$stage" && zip -X -q "$dist/$name.zip" "$name/" "${files[@]}")
        else
            tools/msi.sh "build/$preset" "$stage/$name" "$version" "$dist/$name.msi"
            ((!authenticode)) || authenticode_sign "$dist/$name.msi"
        fi
    else
        chmod 0755 "$stage/$name/tstamp"
        # Fixed order, owner and times.
        tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
            -C "$stage" -cf - "$name" | gzip -9n >"$dist/$name.tar.gz"
        sbom "$name.tar.gz" "$stage/$name/tstamp" "$preset"
    fi
}

for artifact in "${artifacts[@]}"; do
    if [[ $artifact == source ]]; then
        git -c tar.umask=0022 archive --format=tar --prefix="tstamp-$version/" HEAD |
            gzip -9n >"$dist/tstamp-$version.tar.gz"
    else
        release "$artifact"
    fi
done
# The checksums: one file beside each artifact, and SHA256SUMS of them all.
mapfile -t made < <(cd "$dist" && find . -maxdepth 1 -type f -name 'tstamp*' ! -name '*.sha256' -printf '%f\n' | sort)
rm -f "$dist"/*.sha256 "$dist"/SHA256SUMS.asc "$dist"/signing-key.*
for artifact in "${made[@]}"; do
    (cd "$dist" && sha256sum -- "$artifact" >"$artifact.sha256")
done
(cd "$dist" && sha256sum -- "${made[@]}" >SHA256SUMS)
cat "$dist/SHA256SUMS"

# apt_repository GNUPGHOME: apt/, the folder's .debs in pool/main, an index of them for each
# architecture, and the suite's Release, signed as InRelease and Release.gpg. One package
# an architecture, and Release dated SOURCE_DATE_EPOCH: the indexes are the same bytes from
# any clone.
apt_repository() {
    local repo=$dist/apt deb arch architectures=() when
    rm -rf "$repo"
    mkdir -p "$repo/pool/main"
    for deb in "$dist"/*.deb; do
        [[ -e $deb ]] || { echo "release.sh: no .deb in $dist/ for the apt repository" >&2; return 1; }
        cp "$deb" "$repo/pool/main/"
        architectures+=("$(dpkg-deb -f "$deb" Architecture)")
    done
    for arch in "${architectures[@]}"; do
        mkdir -p "$repo/dists/stable/main/binary-$arch"
        (cd "$repo" && apt-ftparchive --arch "$arch" packages pool/main >"dists/stable/main/binary-$arch/Packages")
        gzip -9nk "$repo/dists/stable/main/binary-$arch/Packages"
    done
    when=$(python3 -c 'import sys, time; print(time.strftime("%a, %d %b %Y %H:%M:%S UTC", time.gmtime(int(sys.argv[1]))))' \
        "$SOURCE_DATE_EPOCH")
    (cd "$repo" && apt-ftparchive -o APT::FTPArchive::Release::Origin=tstamp -o APT::FTPArchive::Release::Label=tstamp \
        -o APT::FTPArchive::Release::Suite=stable -o APT::FTPArchive::Release::Codename=stable \
        -o APT::FTPArchive::Release::Components=main -o "APT::FTPArchive::Release::Architectures=${architectures[*]}" \
        -o "APT::FTPArchive::Release::Date=$when" release dists/stable >"$work/Release")
    mv "$work/Release" "$repo/dists/stable/Release"
    GNUPGHOME=$1 gpg --batch --yes --clearsign --output "$repo/dists/stable/InRelease" "$repo/dists/stable/Release"
    GNUPGHOME=$1 gpg --batch --yes --armor --detach-sign --output "$repo/dists/stable/Release.gpg" "$repo/dists/stable/Release"
    cp "$dist/signing-key.asc" "$repo/"
    echo "release.sh: apt/: an apt repository of ${architectures[*]}, signed"
}

# sign KEY_FILE: SHA256SUMS.asc by the secret key in KEY_FILE, in a keyring of this run's own,
# the key's public half beside it, and the apt repository where it is asked for.
sign() {
    local home=$work/gnupg status=0
    mkdir -m 0700 "$home"
    GNUPGHOME=$home gpg --batch --quiet --import "$1" || { echo "release.sh: gpg cannot import the key in $1" >&2; return 1; }
    GNUPGHOME=$home gpg --batch --yes --armor --detach-sign --output "$dist/SHA256SUMS.asc" "$dist/SHA256SUMS"
    GNUPGHOME=$home gpg --batch --armor --export >"$dist/signing-key.asc"
    GNUPGHOME=$home gpg --batch --export >"$dist/signing-key.pgp"
    echo "release.sh: SHA256SUMS signed by $(GNUPGHOME=$home gpg --batch --with-colons --list-keys | awk -F: '$1 == "fpr" {print $10; exit}')"
    ((apt == 0)) || apt_repository "$home" || status=1
    GNUPGHOME=$home gpgconf --kill gpg-agent
    return "$status"
}
windows=$(cd "$dist" && compgen -G 'tstamp-*-win*.*' | grep -vE '\.(sha256|cdx\.json)$' | paste -sd ' ' -) || true
if [[ -n $windows ]] && ((!authenticode)); then
    echo "release.sh: no Authenticode signature on the Windows programs and installers ($windows):" \
        "TSTAMP_AUTHENTICODE_CERT and TSTAMP_AUTHENTICODE_KEY are not set"
elif [[ -n $windows ]]; then
    echo "release.sh: Authenticode-signed by $(openssl x509 -noout -subject -in "$TSTAMP_AUTHENTICODE_CERT"): $windows"
fi
if ((unsigned)); then
    echo "release.sh: UNSIGNED: no SHA256SUMS.asc$( ((apt == 0)) || echo ' and no apt repository'), as --unsigned asks"
elif [[ -n ${TSTAMP_SIGNING_KEY:-} ]]; then
    sign "$TSTAMP_SIGNING_KEY"
else
    # A trial without a key: a throwaway one, made now, never kept but for its public half.
    mkdir -m 0700 "$work/throwaway"
    GNUPGHOME=$work/throwaway gpg --batch --quiet --passphrase '' \
        --quick-gen-key 'tstamp trial release (throwaway) <trial@example.invalid>' ed25519 sign never
    GNUPGHOME=$work/throwaway gpg --batch --armor --export-secret-keys >"$work/throwaway.key"
    GNUPGHOME=$work/throwaway gpgconf --kill gpg-agent
    sign "$work/throwaway.key"
fi
