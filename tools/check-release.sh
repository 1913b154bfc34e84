#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks what tools/release.sh made in dist/ (run it first), or with --trial what
# tools/release.sh --trial made in build/release-trial/, one group at a time:
# Every artifact carries the version being released (project()) and the date of its
# section in CHANGELOG.md: a package's version and its changelog's top entry, the man
# page's date (in the package, the tarball, and the zip's tstamp.html), and a Windows
# program's FileVersion.
#   packages      every .deb: its architecture and Depends, lintian without error or warning
#   zips          every Windows zip: its files, and its program runs under Wine, as the
#                 tests of its target's build run programs (its launcher); with
#                 TSTAMP_SKIP_WIN32=1 the win32 program is not run, and that is said
#   tarballs      every tarball stores 0644 files and 0755 folders and programs, owned by
#                 root, the source archive's programs being the tree's scripts; each
#                 static one holds its files and the licence of its C
#                 library (musl: its copyright and no LGPL text; glibc: the LGPL), and
#                 its program, statically linked and at most 128 KiB (musl) or 1 MiB
#                 (glibc), runs in an empty root (under qemu for the
#                 other architectures, through its build's launcher):
#                 TZ=UTC, a zone with its file, and no zone at all (UTC)
#   packager      the source archive, unpacked, builds as a packager builds (their flags,
#                 extra warnings, no -Werror) and passes ctest
#   refusals      what a release refuses (a table: an empty or unknown word, a tree that
#                 differs from HEAD, entries waiting under Unreleased in any spelling, a
#                 version whose section is not the first, an untested build, no signing
#                 key, an Authenticode certificate without its key), in a clone
#   apt           the apt repository as a user adds it, in a place of its own: served over
#                 HTTP on 127.0.0.1, its key under keyrings/ and a .sources file naming
#                 it (README.md's two lines), the host's apt with a configuration and state
#                 of this check's own, so that the machine's are left alone: apt-get
#                 update, apt-cache policy names the repository, apt-get download, and the
#                 unpacked program prints the year; with another key, apt-get update fails
#   signature     each artifact's .sha256 checks with sha256sum -c in the folder and
#                 SHA256SUMS lists every artifact; SHA256SUMS.asc verifies with gpgv and
#                 the public key beside it, and fails on a SHA256SUMS changed by one byte
#                 and with another key
#   sbom          every binary artifact has its SBOM, valid CycloneDX 1.6 by the CycloneDX
#                 library's own schema check (tools/sbom/, which tools/install-deps.sh test
#                 installs); it holds the SHA-256 of the program inside the artifact, lists
#                 exactly the objects and archive members that the build's link map
#                 (build/<preset>/tstamp.map) says came from outside the build, and names
#                 what the program needs at run time: the .deb's Depends, msvcrt.dll
#   msi           every Windows installer, in a Wine prefix of its own: installed silently,
#                 its files in place and its folder once on the system PATH, tstamp run by
#                 a new cmd; the next version (made by the test) installed over it, one
#                 entry left; a downgrade refused; uninstalled, nothing left; the win32
#                 installation beside the win64 one untouched by all that; the two
#                 installers' upgrade codes differ
#   authenticode  the Windows artifacts made again, signed with a throwaway CA's
#                 code-signing certificate: programs and installers verify with it, a
#                 program changed by one byte does not, a program's Authenticode digest
#                 is its unsigned one's, the SBOMs hold; then made again unsigned
#   reproducible  two clean clones at two paths, one of them with a blank in it, each
#                 testing the builds it packs, give the same source archive, amd64 package,
#                 win32 zip and installer and amd64 static tarball, the same .sha256 and
#                 SBOM beside each, and the same apt repository but for its signatures,
#                 byte for byte, in a trial release
# Usage: check-release.sh [--trial] GROUP
set -euo pipefail
cd "$(dirname "$0")/.."
dist=dist
if [[ ${1:-} == --trial ]]; then
    dist=build/release-trial
    shift
fi
group=${1:?usage: check-release.sh [--trial] GROUP}
# As tools/release.sh: what it makes again here, it makes with the same times.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
# The version and the date of its section in CHANGELOG.md.
read -r version released < <(cmake -P cmake/changelog.cmake) || exit 1
# man_date < PAGE: the date in the man page's title line.
man_date() { awk '/^\.TH/ {gsub(/"/, ""); print $4; exit}'; }
# The preset of the build that makes each artifact (cmake/targets.cmake), read once;
# launcher ARTIFACT: that build's launcher.
declare -A preset_of
while read -r preset artifact _; do
    preset_of[$artifact]=$preset
done < <(cmake -P cmake/targets.cmake)
((${#preset_of[@]} > 0)) || { echo "check-release.sh: no target in cmake/targets.cmake"; exit 1; }
launcher() { echo "build/${preset_of[$1]:?no target makes $1}/run-on-target"; }
# wine_loader ARTIFACT: the Wine loader that its build's launcher runs programs with.
wine_loader() { sed -n "s/^emulator=('\(.*\)')$/\1/p" "$(launcher "$1")"; }
# another_key DIR [--armor]: a throwaway key made in DIR, a keyring of its own; prints its
# public half (armoured with --armor, else as gpgv reads it).
another_key() {
    mkdir -m 0700 "$1"
    GNUPGHOME=$1 gpg --batch --quiet --passphrase '' --quick-gen-key 'another <other@example.invalid>' ed25519 sign never
    GNUPGHOME=$1 gpg --batch "${@:2}" --export
    GNUPGHOME=$1 gpgconf --kill gpg-agent
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

group_packages() {
    local as_root=() deb arch count=0
    [[ $(id -u) == 0 ]] && as_root=(--allow-root)
    for deb in $(compgen -G "$dist/*.deb"); do
        arch=${deb##*_}
        arch=${arch%.deb}
        [[ $(dpkg-deb -f "$deb" Architecture) == "$arch" ]] || { echo "$deb: Architecture is not $arch"; return 1; }
        [[ $(dpkg-deb -f "$deb" Depends) =~ ^libc6\ \(\>=\ 2\.[0-9]+\)$ ]] ||
            { echo "$deb: Depends is '$(dpkg-deb -f "$deb" Depends)'"; return 1; }
        rm -rf "$work/deb"
        dpkg-deb -x "$deb" "$work/deb"
        local top date
        top=$(zcat "$work/deb/usr/share/doc/tstamp/changelog.gz" | head -n 1)
        date=$(zcat "$work/deb/usr/share/man/man1/tstamp.1.gz" | man_date)
        [[ $(dpkg-deb -f "$deb" Version) == "$version" && $top == "tstamp ($version) unstable; urgency=medium" ]] ||
            { echo "$deb: Version $(dpkg-deb -f "$deb" Version), changelog '$top', not $version"; return 1; }
        [[ $date == "$released" ]] || { echo "$deb: the man page is dated $date, not $released"; return 1; }
        lintian --fail-on error,warning "${as_root[@]}" "$deb"
        echo "$deb: $arch, $(dpkg-deb -f "$deb" Depends), version $version atop its changelog, man page of $date, lintian clean"
        count=$((count + 1))
    done
    ((count > 0)) || { echo "no package in $dist/"; return 1; }
}

group_zips() {
    local zip bits name out count=0
    for zip in $(compgen -G "$dist/tstamp-$version-win*.zip"); do
        name=$(basename "$zip" .zip)
        bits=${name##*-win}
        count=$((count + 1))
        unzip -q "$dist/$name.zip" -d "$work"
        [[ $(cd "$work" && find "$name" -type f | sort | tr '\n' ' ') == \
            "$name/LICENSE $name/README.txt $name/tstamp.exe $name/tstamp.html " ]] ||
            { echo "$name.zip holds: $(cd "$work" && find . | tr '\n' ' ')"; return 1; }
        [[ $(head -c 200 "$work/$name/README.txt") == *$'\r\n'* ]] || { echo "README.txt has no CR LF"; return 1; }
        out=$(wrestool -x --raw --type=16 "$work/$name/tstamp.exe" | strings -el | grep -A 1 -x FileVersion | tail -n 1)
        [[ $out == "$version" ]] || { echo "$name: FileVersion '$out', not $version"; return 1; }
        out=$(grep -o 'foot-date">[^<]*' "$work/$name/tstamp.html")
        [[ $out == "foot-date\">$released" ]] || { echo "$name: tstamp.html dated '${out#*>}', not $released"; return 1; }
        if [[ $bits == 32 && ${TSTAMP_SKIP_WIN32:-} == 1 ]]; then
            echo "$name.zip: 4 files, FileVersion $version, manual of $released; tstamp.exe NOT RUN: TSTAMP_SKIP_WIN32=1"
            continue
        fi
        out=$("$(launcher "win$bits")" "$work/$name/tstamp.exe" +%Y-%m-%d | tr -d '\r')
        [[ $out =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}$ ]] || { echo "$name: tstamp.exe printed '$out'"; return 1; }
        echo "$name.zip: 4 files, FileVersion $version, manual of $released, tstamp.exe printed $out"
    done
    ((count > 0)) || { echo "no zip in $dist/"; return 1; }
}

group_tarballs() {
    local tarball bad count=0
    for tarball in "$dist"/*.tar.gz; do
        bad=$(tar --numeric-owner -tvzf "$tarball" | grep -vE '^(-rw-r--r--|-rwxr-xr-x|drwxr-xr-x) 0/0 ' || true)
        [[ -z $bad ]] || { echo "$tarball: modes or owners: $bad"; return 1; }
        echo "$tarball: $(tar -tzf "$tarball" | wc -l) entries, 0644 files, 0755 folders and programs, owner 0/0"
    done
    # The source archive keeps the tree's modes: its scripts 0755, every other file 0644.
    if [[ -e $dist/tstamp-$version.tar.gz ]]; then
        bad=$(diff <(tar -tvzf "$dist/tstamp-$version.tar.gz" | awk '$1 ~ /^-rwx/ {sub(/^[^\/]*\//, "", $6); print $6}' | sort) \
            <(git ls-files -s | awk '$1 == "100755" {print $4}' | sort) || true)
        [[ -z $bad ]] || { echo "tstamp-$version.tar.gz: its programs differ from the tree's: $bad"; return 1; }
        echo "tstamp-$version.tar.gz: the $(git ls-files -s | grep -c '^100755') scripts of the tree 0755, as there"
    fi
    local arch name program root out today run
    for tarball in $(compgen -G "$dist/tstamp-$version-linux-*.tar.gz"); do
        name=$(basename "$tarball" .tar.gz)
        arch=${name##*-linux-}
        tar -xzf "$tarball" -C "$work"
        program=$work/$name/tstamp
        run=$(launcher "linux-$arch")
        # The C library inside, read off the program (glibc names itself in its messages),
        # decides the licence files, and the NOTICE must name it. musl's programs are small.
        local libc=musl licence=COPYRIGHT.musl most=131072
        LC_ALL=C grep -qa glibc "$program" && libc=glibc licence=LICENSE.LGPL-2.1 most=1048576
        [[ $(cd "$work/$name" && find . -type f | sort | tr '\n' ' ') == "$(printf './%s\n' "$licence" LICENSE NOTICE \
            README completion/_tstamp completion/tstamp.bash completion/tstamp.fish tstamp tstamp.1 | sort | tr '\n' ' ')" ]] ||
            { echo "$name holds: $(cd "$work/$name" && find . -type f | tr '\n' ' ')"; return 1; }
        grep -q "holds $([[ $libc == musl ]] && echo musl || echo 'the GNU C Library')" "$work/$name/NOTICE" ||
            { echo "$name: its NOTICE does not name $libc"; return 1; }
        if [[ $libc == musl ]]; then
            ! grep -rqi 'lesser general public' "$work/$name" || { echo "$name: LGPL text beside musl"; return 1; }
            grep -q '^Copyright: .*Rich Felker' "$work/$name/COPYRIGHT.musl" || { echo "$name: no musl copyright"; return 1; }
        fi
        [[ $(man_date <"$work/$name/tstamp.1") == "$released" ]] ||
            { echo "$name: the man page is dated $(man_date <"$work/$name/tstamp.1"), not $released"; return 1; }
        file -b "$program" | grep -qE 'static(ally|-pie) linked' || { echo "$name: $(file -b "$program")"; return 1; }
        (($(stat -c %s "$program") <= most)) || { echo "$name: $(stat -c %s "$program") bytes, more than $most"; return 1; }
        # In a root holding only the program, then the program and one zone file.
        root=$work/root-$arch
        mkdir -p "$root"
        cp "$program" "$root/tstamp"
        today=$(TZ=UTC python3 -c 'import time; print(time.strftime("%Y-%m-%d"))')
        out=$(env -u TZ TSTAMP_ROOT="$root" "$run" /tstamp "+%F %Z")
        [[ $out == "$today UTC" ]] || { echo "$name, no zone at all: '$out'"; return 1; }
        out=$(TZ=UTC TSTAMP_ROOT="$root" "$run" /tstamp "+%F %Z")
        [[ $out == "$today UTC" ]] || { echo "$name, TZ=UTC: '$out'"; return 1; }
        mkdir -p "$root/usr/share/zoneinfo/Asia"
        cp /usr/share/zoneinfo/Asia/Kolkata "$root/usr/share/zoneinfo/Asia/"
        out=$(TZ=Asia/Kolkata TSTAMP_ROOT="$root" "$run" /tstamp "+%Z")
        [[ $out == IST ]] || { echo "$name, TZ=Asia/Kolkata with its file: '$out'"; return 1; }
        echo "$name: $libc, man page of $released, $(file -b "$program" | grep -oE 'static(ally|-pie) linked'), $(stat -c %s "$program") bytes; in an empty root: $today UTC, IST with one zone file"
        count=$((count + 1))
    done
    ((count > 0)) || { echo "no static tarball in $dist/"; return 1; }
}

# linked_from_map MAP BUILD: what the link in MAP took from outside folder BUILD, one per
# line, as the SBOM names it: the objects it loaded, and each archive's members it took as
# ARCHIVE(MEMBER), by file name.
linked_from_map() {
    local build
    build=$(cd "$2" && pwd -P)
    awk -v build="$build/" '
        /^Archive member included/ { members = 1; next }
        members && /^[^ ]/ && !/\(/ && !/^$/ { members = 0 }
        members && match($0, /^[^ (]+\([^()]+\)/) { print substr($0, 1, RLENGTH) }
        /^LOAD .*\.(o|obj)$/ { print $2 }
    ' "$1" | while read -r line; do
        [[ $line == /* && $(realpath -m "${line%%(*}") != "$build"* ]] || continue
        echo "${line##*/}"
    done | sort -u
}

group_sbom() {
    local file artifact word program sbom facts out count=0 sboms=()
    [[ -f tools/sbom/node_modules/@cyclonedx/cyclonedx-library/package.json ]] ||
        { echo "no CycloneDX library in tools/sbom/node_modules: run tools/install-deps.sh test"; return 1; }
    for file in $(cd "$dist" && compgen -G "tstamp*" | grep -E '\.(deb|zip|msi|tar\.gz)$' | grep -vx "tstamp-$version.tar.gz"); do
        sbom=$dist/$file.cdx.json
        [[ -f $sbom ]] || { echo "$file has no SBOM ($file.cdx.json)"; return 1; }
        sboms+=("$sbom")
        rm -rf "$work/sbom" && mkdir "$work/sbom"
        case $file in
        *.deb) word=${file##*_} word=${word%.deb}
            dpkg-deb -x "$dist/$file" "$work/sbom"
            program=$work/sbom/usr/bin/tstamp ;;
        *.zip) word=${file%.zip} word=${word##*-}
            unzip -q "$dist/$file" -d "$work/sbom"
            program=$(echo "$work"/sbom/*/tstamp.exe) ;;
        *.msi) word=${file%.msi} word=${word##*-}-msi
            msiextract -C "$work/sbom" "$dist/$file" >/dev/null
            program=$(find "$work/sbom" -name tstamp.exe) ;;
        *) word=${file%.tar.gz} word=linux-${word##*-linux-}
            tar -xzf "$dist/$file" -C "$work/sbom"
            program=$(echo "$work"/sbom/*/tstamp) ;;
        esac
        # What the SBOM says: the program's hash; the files linked in; what it needs.
        facts=$(python3 -c '
import json, sys
bom = json.load(open(sys.argv[1]))
print(bom["metadata"]["component"]["hashes"][0]["content"])
for c in bom["components"]:
    props = {p["name"]: p["value"] for p in c.get("properties", [])}
    for name in props.get("tstamp:linked-files", "").split():
        print("linked", name)
    if props["tstamp:linkage"].startswith("dynamic"):
        print("needs", c["name"])
' "$sbom")
        # A program signed after its SBOM was made is held to the build's, as packed unsigned.
        if [[ $program == *.exe ]] && rm -f "$work/signature.p7" && osslsigncode extract-signature -in "$program" -out "$work/signature.p7" >/dev/null 2>&1; then
            cmake --install "build/${preset_of[$word]}" --prefix "$work/sbom/unsigned" --component dist --strip >/dev/null
            program=$(echo "$work"/sbom/unsigned/*/tstamp.exe)
        fi
        [[ $(head -n 1 <<<"$facts") == $(sha256sum <"$program" | cut -d ' ' -f 1) ]] ||
            { echo "$file.cdx.json: the SHA-256 is not that of the program in $file"; return 1; }
        out=$(diff <(linked_from_map "build/${preset_of[$word]}/tstamp.map" "build/${preset_of[$word]}") \
            <(sed -n 's/^linked //p' <<<"$facts" | sort -u)) ||
            { echo "$file.cdx.json lists another link than build/${preset_of[$word]}/tstamp.map (< map, > SBOM):"; echo "$out"; return 1; }
        case $file in
        *.deb) out=$(dpkg-deb -f "$dist/$file" Depends | sed 's/ *([^)]*)//g; s/, */\n/g') ;;
        *.zip | *.msi) out=msvcrt.dll ;;
        *) out="" ;;
        esac
        [[ -z $out ]] || diff <(sort <<<"$out") <(sed -n 's/^needs //p' <<<"$facts" | grep -vx KERNEL32.dll | sort) ||
            { echo "$file.cdx.json does not name what the program needs at run time ($(paste -sd ' ' <<<"$out"))"; return 1; }
        echo "$file.cdx.json: the program's SHA-256, $(grep -c '^linked ' <<<"$facts") files linked in as the map says, needs:" \
            "$(sed -n 's/^needs //p' <<<"$facts" | paste -sd ' ' -)"
        count=$((count + 1))
    done
    ((count > 0)) || { echo "no binary artifact in $dist/"; return 1; }
    node tools/sbom/validate.mjs "${sboms[@]}" | sed "s|$dist/||"
}

# In a Wine prefix of its own for each, every installer: installed silently, its files in
# place and its folder once on the PATH, tstamp run by a new cmd; then a newer version
# (the same files, made with the next ProductVersion) installed over it, a downgrade
# refused, and the newer one uninstalled, leaving nothing.
group_msi() {
    local msi name bits loader prefix folder path_folder out year newer other codes=() count=0
    local environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
    local uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
    newer=${version%.*}.$((${version##*.} + 1))
    for msi in $(compgen -G "$dist/tstamp-$version-win*.msi"); do
        name=$(basename "$msi" .msi)
        bits=${name##*-win}
        codes+=("$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^UpgradeCode\t//p')")
        if [[ $bits == 32 && ${TSTAMP_SKIP_WIN32:-} == 1 ]]; then
            echo "$name.msi: NOT INSTALLED: TSTAMP_SKIP_WIN32=1"
            continue
        fi
        loader=$(wine_loader "win$bits-msi")
        prefix=$work/wine-$bits
        on_windows() { WINEPREFIX=$prefix WINEDEBUG=-all "$loader" "$@" </dev/null; }
        windows_path() { local path=${1//\//\\}; echo "Z:$path"; }
        on_windows wineboot --init >/dev/null 2>&1
        # The other architecture's installer first, where this prefix runs it: installing,
        # upgrading and removing this one must leave it as it is.
        other=$dist/tstamp-$version-win32.msi
        if [[ $bits == 64 && -f $other && ${TSTAMP_SKIP_WIN32:-} != 1 ]]; then
            beside() { WINEPREFIX=$prefix WINEDEBUG=-all "$(wine_loader win32-msi)" "$@" </dev/null; }
            beside msiexec /i "$(windows_path "$other")" /qn || { echo "$name.msi: the win32 installer fails beside it"; return 1; }
        else
            other=""
        fi
        folder="$prefix/drive_c/Program Files/tstamp" path_folder="C:\\Program Files\\tstamp\\"
        if [[ $bits == 32 && -d $prefix/drive_c/windows/syswow64 ]]; then
            folder="$prefix/drive_c/Program Files (x86)/tstamp" path_folder="C:\\Program Files (x86)\\tstamp\\"
        fi
        # in_path: how many times the system PATH holds the folder.
        in_path() { on_windows reg query "$environment" /v PATH | tr -d '\r' | sed -n 's/.*REG_[A-Z_]*SZ *//p' | tr ';' '\n' | grep -cxF "$path_folder" || true; }
        # listed: tstamp's entries among the installed programs, "name version" each.
        listed() { on_windows reg query "$uninstall" /s | tr -d '\r' | awk '/DisplayName +REG_SZ +tstamp$/ {n = 1} n && /DisplayVersion/ {print "tstamp " $3; n = 0}'; }
        on_windows msiexec /i "$(windows_path "$msi")" /qn /l*v "$(windows_path "$work/install-$bits.log")" ||
            { echo "$name.msi: msiexec /i fails"; return 1; }
        [[ $(find "$folder" -mindepth 1 -printf '%f\n' | sort | paste -sd ' ' -) == "LICENSE README.txt tstamp.exe tstamp.html" ]] ||
            { echo "$name.msi installed: $(ls "$folder" 2>&1)"; return 1; }
        [[ $(in_path) == 1 ]] || { echo "$name.msi: the PATH holds $path_folder $(in_path) times"; return 1; }
        [[ $(listed) == "tstamp $version" ]] || { echo "$name.msi: installed programs: $(listed)"; return 1; }
        year=$(on_windows cmd /c "tstamp +%Y" | tr -d '\r')
        [[ $year =~ ^[0-9]{4}$ ]] || { echo "$name.msi: cmd /c \"tstamp +%Y\" printed '$year'"; return 1; }
        out=$(on_windows cmd /c tstamp | tr -d '\r')
        [[ $out =~ ^[A-Z][a-z]{2}\ [A-Z][a-z]{2}\ [\ 0-9][0-9]\ [0-9]{2}:[0-9]{2}:[0-9]{2}\ [0-9]{4}$ ]] ||
            { echo "$name.msi: cmd /c tstamp printed '$out'"; return 1; }
        echo "$name.msi: installed in ${folder#"$prefix/drive_c/"}, once on the PATH, listed as tstamp $version; a new cmd ran tstamp +%Y: $year, tstamp: $out"
        # The next version over it.
        cp -r "$folder" "$work/files-$bits"
        tools/msi.sh "build/${preset_of[win$bits-msi]}" "$work/files-$bits" "$newer" "$work/newer-$bits.msi"
        on_windows msiexec /i "$(windows_path "$work/newer-$bits.msi")" /qn || { echo "$name.msi: the upgrade to $newer fails"; return 1; }
        [[ $(listed) == "tstamp $newer" && $(in_path) == 1 ]] ||
            { echo "$name.msi, upgraded: installed programs: $(listed); $(in_path) times on the PATH"; return 1; }
        [[ $(find "$folder" -mindepth 1 | wc -l) == 4 ]] || { echo "$name.msi, upgraded: $(ls "$folder")"; return 1; }
        echo "$name.msi: upgraded to $newer: one entry, tstamp $newer, once on the PATH, 4 files"
        # Refused by the launch condition that says why (Windows shows its message; Wine,
        # with no interface, writes only that it failed).
        if WINEPREFIX=$prefix WINEDEBUG=-all,err+msi "$loader" msiexec /i "$(windows_path "$msi")" /qn </dev/null 2>"$work/downgrade-$bits.err"; then
            echo "$name.msi: installs over the newer $newer"
            return 1
        fi
        grep -q 'action L"LaunchConditions" returned 1603' "$work/downgrade-$bits.err" ||
            { cat "$work/downgrade-$bits.err"; echo "$name.msi: the downgrade fails, but not at its launch condition"; return 1; }
        out=$(msiinfo export "$msi" LaunchCondition | tr -d "\r" | grep '^NOT WIX_DOWNGRADE_DETECTED' | cut -f 2)
        [[ $out == "A newer version of tstamp is already installed; uninstall it first to install tstamp $version." ]] ||
            { echo "$name.msi: the downgrade's message is '$out'"; return 1; }
        [[ $(listed) == "tstamp $newer" ]] || { echo "$name.msi: after the refused downgrade: $(listed)"; return 1; }
        echo "$name.msi: a downgrade from $newer refused at its launch condition: $out"
        on_windows msiexec /x "$(windows_path "$work/newer-$bits.msi")" /qn || { echo "$name.msi: msiexec /x fails"; return 1; }
        [[ ! -e $folder && $(in_path) == 0 && -z $(listed) ]] ||
            { echo "$name.msi, uninstalled: $(ls "$folder" 2>&1); $(in_path) times on the PATH; listed: $(listed)"; return 1; }
        echo "$name.msi: uninstalled: no folder, nothing on the PATH, not listed"
        if [[ -n $other ]]; then
            if [[ ! -f "$prefix/drive_c/Program Files (x86)/tstamp/tstamp.exe" ]] ||
                ! beside reg query "$uninstall" /s | grep -q 'DisplayName *REG_SZ *tstamp'; then
                echo "$name.msi: the win32 installation beside it is gone"
                return 1
            fi
            echo "$name.msi: the win32 installation beside it stayed, through install, upgrade and uninstall"
        fi
        WINEPREFIX=$prefix /usr/lib/wine/wineserver -k || true
        count=$((count + 1))
    done
    ((${#codes[@]} > 0)) || { echo "no installer in $dist/"; return 1; }
    ((count > 0)) || { echo "no installer tested"; return 1; }
    [[ ${#codes[@]} == 1 || ${codes[0]} != "${codes[1]}" ]] || { echo "the two installers share an upgrade code"; return 1; }
    echo "upgrade codes: ${codes[*]}"
}

# Authenticode: the Windows artifacts made again with a throwaway CA's code-signing
# certificate, then checked: every program and installer verifies with that CA; a program
# changed by one byte does not; a signed program's Authenticode digest is that of the
# unsigned one (its bytes are not compared: a signature changes the PE checksum and the
# padding); and the SBOMs still hold. Then they are made again unsigned, as they were.
group_authenticode() {
    local ca=$work/ca words=() file program digest count=0 status=0
    mkdir -p "$ca"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$ca/ca.key" -out "$ca/ca.crt" -days 2 \
        -subj '/CN=tstamp trial CA (throwaway)' -addext basicConstraints=critical,CA:TRUE \
        -addext keyUsage=critical,keyCertSign 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -keyout "$ca/signing.key" -out "$ca/signing.csr" \
        -subj '/CN=tstamp trial code signing (throwaway)' 2>/dev/null
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$ca/ext"
    openssl x509 -req -in "$ca/signing.csr" -CA "$ca/ca.crt" -CAkey "$ca/ca.key" -CAcreateserial -days 2 \
        -extfile "$ca/ext" -out "$ca/signing.crt" 2>/dev/null
    for file in $(cd "$dist" && compgen -G "tstamp-$version-win*.zip"); do
        file=${file%.zip}
        words+=("${file##*-}" "${file##*-}-msi")
        mkdir -p "$work/unsigned"
        unzip -q "$dist/$file.zip" -d "$work/unsigned"
    done
    ((${#words[@]} > 0)) || { echo "no Windows zip in $dist/"; return 1; }
    TSTAMP_AUTHENTICODE_CERT=$ca/signing.crt TSTAMP_AUTHENTICODE_KEY=$ca/signing.key \
        tools/release.sh --trial "${words[@]}" >"$work/release.log" || { cat "$work/release.log"; return 1; }
    grep 'Authenticode-signed' "$work/release.log"
    (
        set -e
        for file in $(cd "$dist" && compgen -G "tstamp-$version-win*.zip" && compgen -G "tstamp-$version-win*.msi"); do
            rm -rf "$work/signed" && mkdir "$work/signed"
            case $file in
            *.zip) unzip -q "$dist/$file" -d "$work/signed" ;;
            *) msiextract -C "$work/signed" "$dist/$file" >/dev/null
                osslsigncode verify -CAfile "$ca/ca.crt" -in "$dist/$file" >/dev/null ||
                    { echo "$file: the installer's signature does not verify"; exit 1; } ;;
            esac
            program=$(find "$work/signed" -name tstamp.exe)
            osslsigncode verify -CAfile "$ca/ca.crt" -in "$program" >"$work/verify" 2>&1 ||
                { cat "$work/verify"; echo "$file: tstamp.exe's signature does not verify"; exit 1; }
            # One byte of the program changed: the byte 512 bytes before the signature.
            python3 -c '
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
pe = struct.unpack_from("<I", data, 0x3C)[0]
directories = pe + 24 + (96 if struct.unpack_from("<H", data, pe + 24)[0] == 0x10B else 112)
data[struct.unpack_from("<I", data, directories + 32)[0] - 512] ^= 1
open(sys.argv[2], "wb").write(data)' "$program" "$work/changed.exe"
            if osslsigncode verify -CAfile "$ca/ca.crt" -in "$work/changed.exe" >/dev/null 2>&1; then
                echo "$file: tstamp.exe changed by one byte still verifies"
                exit 1
            fi
            digest=$(sed -n 's/^Calculated message digest *: *\([0-9A-F]*\).*/\1/p' "$work/verify")
            rm -f "$work/unsigned.p7"
            osslsigncode extract-data -h sha256 -pem -in "$(find "$work/unsigned" -path "*${file%.*}/tstamp.exe")" \
                -out "$work/unsigned.p7" >/dev/null
            [[ -n $digest && $(openssl asn1parse -in "$work/unsigned.p7" | sed -n 's/.*OCTET STRING *\[HEX DUMP\]://p' | tail -n 1) == "$digest" ]] ||
                { echo "$file: the signed tstamp.exe's Authenticode digest is not the unsigned one's"; exit 1; }
            echo "$file: tstamp.exe$([[ $file == *.msi ]] && echo ' and the installer') verify with the CA; changed by one byte, refused; digest ${digest:0:16}... as unsigned"
        done
    ) || status=1
    ((status == 0)) && { group_sbom | grep -v '^valid' || status=1; }
    # As they were: unsigned.
    tools/release.sh --trial "${words[@]}" >/dev/null || status=1
    return "$status"
}

group_packager() {
    tar -xzf "$dist/tstamp-$version.tar.gz" -C "$work"
    cd "$work/tstamp-$version"
    # As Debian's helpers build: dpkg-buildflags, the preprocessor flags with the compiler
    # flags, and a packager's extra warnings.
    eval "$(dpkg-buildflags --export=sh)"
    export CFLAGS="$CPPFLAGS $CFLAGS -Wall -Wextra -Wcast-align -Wmissing-declarations"
    export CXXFLAGS="$CPPFLAGS $CXXFLAGS -Wall -Wextra -Wcast-align -Wmissing-declarations"
    cmake -S . -B b -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build b -j "$(nproc)" >build.log 2>&1 || { cat build.log; return 1; }
    echo "compiler warnings: $(grep -c 'warning:' build.log)"
    grep 'warning:' build.log || true
    # Their flags stand: no -Werror of ours, and their level of fortification.
    if grep -qE -- '-Werror[ "]|-U_FORTIFY_SOURCE' b/compile_commands.json; then
        echo "the build overrides the packager's flags"
        return 1
    fi
    grep -q -- '-ffile-prefix-map' b/compile_commands.json || { echo "the packager's CXXFLAGS are not used"; return 1; }
    ctest --test-dir b --output-on-failure -j 2
}

group_reproducible() {
    local one=$work/one/tstamp two="$work/else where/and/two/tstamp" clone preset windows=win32 windows_preset=windows-x86
    local jobs=() job status=0
    if [[ ${TSTAMP_SKIP_WIN32:-} == 1 ]]; then
        windows=win64 windows_preset=windows-x64
        echo "the win64 zip in place of the win32 one: TSTAMP_SKIP_WIN32=1"
    fi
    git clone -q . "$one"
    git clone -q . "$two"
    # A release packs tested builds only, so each clone first tests those it packs; the one
    # at a path with a blank shows too that they build and pass there. Both run at once.
    for clone in "$one" "$two"; do
        (
            cd "$clone" || exit 1
            for preset in release "$windows_preset" static-amd64; do
                cmake --workflow --preset "$preset" >"$clone.log" 2>&1 ||
                    { tail -n 40 "$clone.log"; echo "$preset fails in $clone"; exit 1; }
            done
            tools/release.sh --trial source amd64 "$windows" "$windows-msi" linux-amd64 apt >"$clone.log" 2>&1 || { cat "$clone.log"; exit 1; }
        ) &
        jobs+=($!)
    done
    for job in "${jobs[@]}"; do wait "$job" || status=1; done
    ((status == 0)) || return 1
    cat "$one/build/release-trial/SHA256SUMS"
    cmp "$one/build/release-trial/SHA256SUMS" "$two/build/release-trial/SHA256SUMS"
    # The files beside each artifact too; the signatures hold a key and a time, and differ.
    diff <(cd "$one/build/release-trial" && sha256sum -- *.sha256) <(cd "$two/build/release-trial" && sha256sum -- *.sha256)
    # And the apt repository's indexes; InRelease and Release.gpg are signatures.
    diff <(cd "$one/build/release-trial/apt" && find dists pool -type f ! -name InRelease ! -name Release.gpg -exec sha256sum {} + | sort -k 2) \
        <(cd "$two/build/release-trial/apt" && find dists pool -type f ! -name InRelease ! -name Release.gpg -exec sha256sum {} + | sort -k 2)
}

# What a release refuses, in a clone of HEAD whose CHANGELOG.md has nothing waiting under
# Unreleased (committed there): each row changes the clone, runs tools/release.sh and
# expects its status and words on standard error; then the clone is as it was (a row that
# sets a variable comes last, as that stays set).
group_refusals() {
    local clone=$work/refusals name change arguments want_status want_words out status failed=0
    git clone -q . "$clone"
    (
        cd "$clone" || exit 1
        sed -i '/^## \[\{0,1\}Unreleased\]\{0,1\}$/,/^## [0-9]/{/^## [0-9]/!d}' CHANGELOG.md
        git -c user.name=check -c user.email=check@example.invalid commit -qam "nothing unreleased" --allow-empty
        while IFS='|' read -r name change arguments want_status want_words; do
            eval "$change"
            status=0
            out=$(eval "tools/release.sh $arguments" 2>&1 >/dev/null) || status=$?
            git checkout -q -- .
            if [[ $status == "$want_status" && $out == *"$want_words"* ]]; then
                echo "refused: $name (status $status)"
            else
                echo "FAIL $name: status $status, '$out'"
                failed=1
            fi
        done <<'EOF'
an empty word|:|""|2|release.sh: no artifact ''
a word it does not know|:|mips64el|2|release.sh: no artifact 'mips64el'
a tracked file changed|echo '// changed' >>src/usage_text.cpp|source|1|the tree differs from HEAD in src/usage_text.cpp
an entry under Unreleased|sed -i '0,/^## [0-9]/s//## Unreleased\n\n- waiting\n\n&/' CHANGELOG.md|source|1|CHANGELOG.md has entries under Unreleased ('- waiting'
an entry under [Unreleased]|sed -i '0,/^## [0-9]/s//## [Unreleased]\n\n- waiting\n\n&/' CHANGELOG.md|source|1|CHANGELOG.md has entries under Unreleased ('- waiting'
a "* " entry under Unreleased|sed -i '0,/^## [0-9]/s//## Unreleased\n\n* waiting\n\n&/' CHANGELOG.md|source|1|CHANGELOG.md has entries under Unreleased ('* waiting'
the version's section not the first|sed -i '0,/^## [0-9]/s//## 9.9.9 - 2999-01-01\n\n- later\n\n&/' CHANGELOG.md|source|1|the first version in CHANGELOG.md is '## 9.9.9 - 2999-01-01'
a build whose tests have not run|:|--unsigned linux-amd64|1|the tests of the static-amd64 build have not passed on its program
no signing key|:|source|1|release.sh: no signing key: set TSTAMP_SIGNING_KEY
an option it does not know|:|--signed source|2|release.sh: no option --signed
a signing key that is not there|export TSTAMP_SIGNING_KEY=/nonexistent|source|1|release.sh: no signing key: set TSTAMP_SIGNING_KEY
an Authenticode certificate without its key|export TSTAMP_AUTHENTICODE_CERT=LICENSE|--unsigned win64|1|release.sh: set both TSTAMP_AUTHENTICODE_CERT and TSTAMP_AUTHENTICODE_KEY
EOF
        exit "$failed"
    )
}

group_signature() {
    local artifacts listed
    artifacts=$(cd "$dist" && find . -maxdepth 1 -type f -name 'tstamp*' ! -name '*.sha256' -printf '%f\n' | sort)
    [[ -n $artifacts ]] || { echo "no artifact in $dist/"; return 1; }
    listed=$(awk '{print $2}' "$dist/SHA256SUMS" | sort)
    [[ $listed == "$artifacts" ]] || { echo "SHA256SUMS lists: $(paste -sd ' ' <<<"$listed")"; return 1; }
    local artifact
    while read -r artifact; do
        (cd "$dist" && sha256sum --quiet -c "$artifact.sha256") || { echo "$artifact.sha256 does not check"; return 1; }
    done <<<"$artifacts"
    echo "$(wc -l <<<"$artifacts") artifacts, each with its .sha256, all in SHA256SUMS"
    [[ -f $dist/SHA256SUMS.asc ]] || { echo "no SHA256SUMS.asc: $dist/ is unsigned (tools/release.sh --unsigned)"; return 1; }
    gpgv --keyring "$dist/signing-key.pgp" "$dist/SHA256SUMS.asc" "$dist/SHA256SUMS" 2>"$work/gpgv" ||
        { cat "$work/gpgv"; echo "SHA256SUMS.asc does not verify with signing-key.pgp"; return 1; }
    echo "SHA256SUMS.asc: $(grep -o 'Good signature.*' "$work/gpgv")"
    # One byte changed: the last digit of the first checksum.
    sed '1s/.\(  \)/x\1/' "$dist/SHA256SUMS" >"$work/SHA256SUMS"
    if gpgv --keyring "$dist/signing-key.pgp" "$dist/SHA256SUMS.asc" "$work/SHA256SUMS" 2>/dev/null; then
        echo "SHA256SUMS.asc verifies a SHA256SUMS changed by one byte"
        return 1
    fi
    echo "a SHA256SUMS changed by one byte: refused"
    another_key "$work/other" >"$work/other.pgp"
    if gpgv --keyring "$work/other.pgp" "$dist/SHA256SUMS.asc" "$dist/SHA256SUMS" 2>/dev/null; then
        echo "SHA256SUMS.asc verifies with another key"
        return 1
    fi
    echo "another key: refused"
}

group_apt() {
    local repo=$dist/apt place=$work/apt port server out
    [[ -f $repo/dists/stable/InRelease ]] || { echo "no signed apt repository in $repo/"; return 1; }
    mkdir -p "$place"/{sources.list.d,trusted.gpg.d,preferences.d,keyrings,lists/partial,cache/archives/partial,download}
    (cd "$repo" && exec python3 -u -m http.server 0 --bind 127.0.0.1) >"$place/http.log" 2>&1 &
    server=$!
    for _ in $(seq 50); do
        port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$place/http.log" | head -n 1)
        [[ -n $port ]] && break
        sleep 0.1
    done
    [[ -n $port ]] || { kill "$server"; echo "the HTTP server did not start: $(cat "$place/http.log")"; return 1; }
    # The two lines of README.md, with this place for /etc/apt and the server for the address.
    cp "$repo/signing-key.asc" "$place/keyrings/tstamp.asc"
    printf 'Types: deb\nURIs: %s\nSuites: stable\nComponents: main\nSigned-By: %s\n' \
        "http://127.0.0.1:$port/" "$place/keyrings/tstamp.asc" >"$place/sources.list.d/tstamp.sources"
    local apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$place/sources.list.d"
        -o Dir::Etc::Trusted=/dev/null -o "Dir::Etc::TrustedParts=$place/trusted.gpg.d"
        -o Dir::Etc::Preferences=/dev/null -o "Dir::Etc::PreferencesParts=$place/preferences.d"
        -o "Dir::State::Lists=$place/lists" -o "Dir::Cache=$place/cache" -o Dir::State::status=/dev/null
        -o "APT::Architecture=$(dpkg --print-architecture)" -o APT::Sandbox::User=root -o Debug::NoLocking=1)
    local status=0
    (
        if ! apt-get "${apt_options[@]}" update >"$place/update.log" 2>&1 || grep -q '^[WE]:' "$place/update.log"; then
            cat "$place/update.log"
            echo "apt-get update fails"
            exit 1
        fi
        out=$(apt-cache "${apt_options[@]}" policy tstamp)
        grep -q "http://127.0.0.1:$port stable/main" <<<"$out" || { echo "$out"; echo "apt-cache policy does not name the repository"; exit 1; }
        echo "apt-cache policy tstamp: $(grep -m 1 Candidate <<<"$out" | tr -s ' '), from http://127.0.0.1:$port stable/main"
        (cd "$place/download" && apt-get "${apt_options[@]}" download tstamp >/dev/null 2>&1) || { echo "apt-get download fails"; exit 1; }
        dpkg-deb -x "$place"/download/tstamp_*.deb "$place/root"
        out=$("$place/root/usr/bin/tstamp" +%Y)
        [[ $out =~ ^[0-9]{4}$ ]] || { echo "the program from the repository printed '$out'"; exit 1; }
        echo "apt-get download tstamp, unpacked: tstamp +%Y printed $out"
        # Another key: the repository's signature no longer holds.
        another_key "$place/other" --armor >"$place/keyrings/tstamp.asc"
        rm -rf "$place/lists" && mkdir -p "$place/lists/partial"
        if apt-get "${apt_options[@]}" update >"$place/update.log" 2>&1 && ! grep -q '^E:' "$place/update.log"; then
            cat "$place/update.log"
            echo "apt-get update takes the repository with another key"
            exit 1
        fi
        echo "with another key: $(grep -m 1 '^E:' "$place/update.log")"
    ) || status=1
    kill "$server"
    return "$status"
}

declare -F "group_$group" >/dev/null || { echo "check-release.sh: no group $group" >&2; exit 2; }
"group_$group"
