#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Windows installer of a Windows build, from a folder as the build's zip holds it.
# Usage: tools/msi.sh BUILD FOLDER VERSION OUT
#   BUILD    the build folder (build/windows-x64): its dist/tstamp.wxs, the installer's
#            source as the build configured it for its architecture (cmake/dist.cmake)
#   FOLDER   what it installs: tstamp.exe, tstamp.html, LICENSE and README.txt
#   VERSION  its ProductVersion, major.minor.patch
#   OUT      the .msi to write
# The product code and the package code are name-based UUIDs of the architecture's
# upgrade code and the version: the same version of one architecture always has the same
# codes, any other version others. No time comes from the clock: wixl and msibuild run with
# it stopped at SOURCE_DATE_EPOCH (faketime), and the files keep their own times.
#
# wixl writes every table but one: the folder goes on the system PATH through the
# Environment table ("=-*PATH": set on install, taken out on uninstall, the machine's;
# "[~];[INSTALLDIR]": appended), and its two actions, which msibuild adds.
set -euo pipefail
(($# == 4)) || { echo "usage: tools/msi.sh BUILD FOLDER VERSION OUT" >&2; exit 2; }
build=$1 folder=$2 version=$3 out=$4
source=$build/dist/tstamp.wxs
[[ -f $source ]] || { echo "msi.sh: no $source: configure a Windows build there first" >&2; exit 1; }
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "msi.sh: '$version' is not major.minor.patch" >&2; exit 2; }
fact() { sed -n "s/.* $1=\"\\([^\"]*\\)\".*/\\1/p" "$source" | head -n 1; }
upgrade_code=$(fact UpgradeCode)
publisher=$(fact Manufacturer)
if [[ $(fact Win64) == yes ]]; then arch=x64 template='x64;1033'; else arch=x86 template='Intel;1033'; fi
read -r product_code package_code < <(python3 -c '
import sys, uuid
space = uuid.UUID(sys.argv[1])
print(*(str(uuid.uuid5(space, f"{what} {sys.argv[2]}")).upper() for what in ("product", "package")))
' "$upgrade_code" "$version")
stopped=$(python3 -c 'import sys, time; print(time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(int(sys.argv[1]))))' \
    "${SOURCE_DATE_EPOCH:?msi.sh: SOURCE_DATE_EPOCH is not set}")
at_release_time() { TZ=UTC faketime -f "$stopped" "$@"; }

source=$(realpath "$source")
out=$(realpath -m "$out")
rm -f "$out"
# (wixl finds the files by paths relative to where it runs.)
(cd "$folder" && at_release_time wixl -a "$arch" -D "Version=$version" -D "ProductCode=$product_code" -D Source=. \
    -o "$out" "$source")
at_release_time msibuild "$out" -s tstamp "$publisher" "$template" "{$package_code}"
# shellcheck disable=SC2016 # (backquotes quote SQL's names)
at_release_time msibuild "$out" -q 'CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE,
        `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)' \
    -q "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`)
        VALUES ('PATH', '=-*PATH', '[~];[INSTALLDIR]', 'files')" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)"
