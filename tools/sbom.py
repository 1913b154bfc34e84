#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the SBOM of one release artifact, a CycloneDX 1.6 JSON document, on standard output.

What it lists is read off the build, not written by hand:
  - the program: the SHA-256 of the program file the artifact holds, unsigned;
  - what is linked into it: each object and archive member that the linker's map
    (<build>/tstamp.map) says it took from outside the build folder, grouped by the Debian
    package that installed the file (dpkg-query -S), with that package's version;
  - what it needs at run time and does not carry: the .deb's Depends, or the DLLs that a
    Windows program imports (read off its import table).
The only facts written here are the licences of the packages that may be linked in
(LINKABLE): a file from any other package stops the SBOM, naming the package, since its
licence is not known.

The bytes depend only on the inputs: the time is SOURCE_DATE_EPOCH, and the serial number is
derived from the rest of the document.

Usage: tools/sbom.py --artifact NAME --version VERSION --program FILE --build DIR
                     [--depends DEPENDS]
"""
import argparse
import hashlib
import json
import os
import re
import struct
import subprocess
import sys
import time
import uuid

# Debian package (a pattern of its name) -> the project it comes from, and that project's
# licence in SPDX's terms.
LINKABLE = [
    (r"libc6-dev(-.*-cross)?", "glibc", "LGPL-2.1-or-later"),
    (r"musl-dev", "musl", "MIT"),
    (r"libgcc-[0-9]+-dev(-.*-cross)?|gcc-mingw-w64-.*", "libgcc", "GPL-3.0-or-later WITH GCC-exception-3.1"),
    (r"libstdc\+\+-[0-9]+-dev(-.*-cross)?|g\+\+-mingw-w64-.*", "libstdc++", "GPL-3.0-or-later WITH GCC-exception-3.1"),
    (r"mingw-w64-.*-dev", "mingw-w64", "ZPL-2.1"),
]


def fail(message):
    sys.exit(f"sbom.py: {message}")


def linked_files(map_file):
    """The objects and archive members the link took: [(path, member or None)]. An object
    named on the command line is taken whole; an archive gives only the members it lists."""
    with open(map_file, encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    taken = []
    in_members = False
    for line in lines:
        if line == "Archive member included to satisfy reference by file (symbol)":
            in_members = True
            continue
        if in_members and line and not line[0].isspace():
            found = re.match(r"(\S+?)\(([^()]+)\)(\s|$)", line)
            if found:
                taken.append((found.group(1), found.group(2)))
            elif line.endswith(("properties", "(symbol)")) or " " in line:
                in_members = False
        if line.startswith("LOAD ") and line.endswith((".o", ".obj")):
            taken.append((line[5:], None))
    if not taken:
        fail(f"{map_file} names no file the link took")
    return taken


def owners(paths):
    """The Debian package that installed each path: {path: package}."""
    candidates = {}
    for path in paths:
        for form in (os.path.normpath(path), os.path.realpath(path)):
            candidates.setdefault(form, path)
    out = subprocess.run(["dpkg-query", "-S", *candidates], capture_output=True, text=True).stdout
    found = {}
    for line in out.splitlines():
        if line.startswith("diversion ") or ": " not in line:
            continue
        packages, form = line.split(": ", 1)
        if form in candidates:
            found[candidates[form]] = packages.split(",")[0].strip()
    missing = sorted(set(paths) - set(found))
    if missing:
        fail(f"no Debian package installed {', '.join(missing)}")
    return found


def package_facts(package):
    out = subprocess.run(["dpkg-query", "-W", "-f", "${Package}|${Version}|${Architecture}", package],
                         capture_output=True, text=True, check=True).stdout
    return out.split("|")


def upstream(version):
    """A Debian version's upstream part: no epoch, no Debian revision."""
    return re.sub(r"-[^-]*$", "", version.split(":", 1)[-1])


def pe_imports(program):
    """The DLLs a Windows program imports, in the order of its import table."""
    with open(program, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        fail(f"{program} is not a Windows program")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    imports_rva = struct.unpack_from("<I", data, directories + 8)[0]
    table = [struct.unpack_from("<8xII4xI", data, optional + optional_size + 40 * i) for i in range(sections)]

    def offset(rva):
        for size, address, raw in table:
            if address <= rva < address + size:
                return rva - address + raw
        fail(f"{program}: address {rva:#x} lies in no section")

    names = []
    at = offset(imports_rva)
    while True:
        name_rva = struct.unpack_from("<12xI", data, at)[0]
        if name_rva == 0:
            return names
        start = offset(name_rva)
        names.append(data[start:data.index(b"\0", start)].decode("ascii"))
        at += 20


def main():
    parser = argparse.ArgumentParser(description="the SBOM of one release artifact")
    for name in ("artifact", "version", "program", "build"):
        parser.add_argument(f"--{name}", required=True)
    parser.add_argument("--depends", default="", help="a Debian package's Depends field")
    args = parser.parse_args()
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "0"))

    build = os.path.realpath(args.build)
    taken = [(path, member) for path, member in linked_files(os.path.join(build, "tstamp.map"))
             if os.path.isabs(path) and not os.path.realpath(path).startswith(build + os.sep)]
    package_of = owners(sorted({path for path, _ in taken}))
    by_package = {}
    for path, member in taken:
        name = os.path.basename(path) + (f"({member})" if member else "")
        by_package.setdefault(package_of[path], set()).add(name)

    components = []
    for package in sorted(by_package):
        project = next((row for row in LINKABLE if re.fullmatch(row[0], package.split(":")[0])), None)
        if project is None:
            fail(f"the program links {', '.join(sorted(by_package[package]))} from {package},"
                 " whose licence tools/sbom.py does not know")
        name, version, arch = package_facts(package)
        components.append({
            "type": "library",
            "bom-ref": f"linked:{name}",
            "name": project[1],
            "version": upstream(version),
            "scope": "required",
            "licenses": [{"expression": project[2]}] if " " in project[2] else [{"license": {"id": project[2]}}],
            "purl": f"pkg:deb/debian/{name}@{version}?arch={arch}",
            "properties": [
                {"name": "tstamp:linkage", "value": "static: linked into the program"},
                {"name": "tstamp:linked-files", "value": " ".join(sorted(by_package[package]))},
            ],
        })

    needed = []
    if args.program.endswith(".exe"):
        needed = [(dll, "", f"{dll}: a DLL of Windows, imported by the program") for dll in pe_imports(args.program)]
    for entry in filter(None, (part.strip() for part in args.depends.split(","))):
        found = re.fullmatch(r"([a-z0-9][a-z0-9+.-]*)\s*(\((.*)\))?", entry)
        if not found:
            fail(f"cannot read the dependency '{entry}'")
        needed.append((found.group(1), found.group(3) or "", f"{entry}: a Debian package the .deb depends on"))
    for name, constraint, description in needed:
        component = {
            "type": "library",
            "bom-ref": f"runtime:{name}",
            "name": name,
            "scope": "required",
            "description": description,
            "properties": [{"name": "tstamp:linkage", "value": "dynamic: needed at run time, not carried"}],
        }
        if constraint:
            component["properties"].append({"name": "tstamp:version-constraint", "value": constraint})
        if not name.lower().endswith(".dll"):
            component["purl"] = f"pkg:deb/debian/{name}"
        components.append(component)

    with open(args.program, "rb") as f:
        program_hash = hashlib.sha256(f.read()).hexdigest()
    program = {
        "type": "application",
        "bom-ref": "tstamp",
        "name": "tstamp",
        "version": args.version,
        "description": "prints the current local date and time, in a fixed form or as +FORMAT says",
        "hashes": [{"alg": "SHA-256", "content": program_hash}],
        "licenses": [{"license": {"id": "MIT"}}],
        "purl": f"pkg:generic/tstamp@{args.version}",
        "properties": [{"name": "tstamp:artifact", "value": args.artifact},
                       {"name": "tstamp:program", "value": os.path.basename(args.program)}],
    }
    bom = {
        "$schema": "http://cyclonedx.org/schema/bom-1.6.schema.json",
        "bomFormat": "CycloneDX",
        "specVersion": "1.6",
        "version": 1,
        "metadata": {
            "timestamp": time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(epoch)),
            "tools": {"components": [{"type": "application", "name": "tools/sbom.py", "version": args.version}]},
            "component": program,
        },
        "components": components,
        "dependencies": [{"ref": "tstamp", "dependsOn": [c["bom-ref"] for c in components]}]
        + [{"ref": c["bom-ref"]} for c in components],
    }
    # The serial number: a UUID (version 5 form) of the document without it.
    body = json.dumps(bom, indent=2, sort_keys=True)
    serial = uuid.UUID(bytes=hashlib.sha256(body.encode()).digest()[:16], version=5)
    bom = {"serialNumber": f"urn:uuid:{serial}", **bom}
    print(json.dumps(bom, indent=2, sort_keys=True))


if __name__ == "__main__":
    main()
