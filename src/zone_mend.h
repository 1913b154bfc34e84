// SPDX-License-Identifier: MIT
// How the static programs make musl read TZ as glibc reads it. The two read a POSIX zone
// value with rules alike, but little else: musl looks for no zone file behind a value that
// reads as a POSIX one (EST5EDT, W-SU), takes names glibc rejects (fewer than three
// letters, an open "<"), does not cap an offset's hours at 24, and gives a value with a
// daylight name and no rules daylight time all year. mend_zone_value reads a value as
// glibc does and writes what makes musl print what glibc prints.
#pragma once

#include <stddef.h>

// What a path is to musl: nothing it reads (no such file, a folder, an empty file), a zone
// file (at least 44 bytes, starting "TZif"), or some other file.
enum class zone_file { none, zone, other };
using zone_file_kind = zone_file (*)(const char *path);

// The longest value read: musl reads a longer one (over PATH_MAX + 1 bytes) as UTC, and so
// is it left.
constexpr size_t zone_value_max = 4097;
// Room for anything mend_zone_value writes, its NUL included. The longest is the path of a
// zone file in musl's first folder whose name is NAME_MAX (255) bytes long; a POSIX value
// is written in about a hundred.
constexpr size_t mended_zone_size = sizeof ":/usr/share/zoneinfo/" + 255;

// Reads the TZ value `value` (null when TZ is unset) as glibc does: the zone file it names
// in musl's zone folders (/usr/share/zoneinfo/, /share/zoneinfo/, /etc/zoneinfo/, in that
// order), else a POSIX value (a leading ":" is skipped), with glibc's defaults where it is
// short or malformed. Writes into `out` (mended_zone_size bytes) the value musl is to read
// instead, NUL-terminated, and returns its length; returns 0, writing nothing, when musl
// reads `value` as glibc does or the mend cannot help.
//
// What it writes is either ":" and the absolute path of a zone file, or a POSIX value
// whose names are the first six bytes of glibc's (all that musl keeps), made only of what
// musl and glibc read alike. A value with a daylight name and no rules gets the rules
// M3.2.0,M11.1.0, where glibc takes them from a file, but only when its offsets are
// within POSIX's bounds: otherwise it keeps standard time all year.
//
// Pure: it reads nothing but its arguments and, through `kind`, the paths it asks about;
// writes nothing but `out`; allocates nothing; reads no environment.
size_t mend_zone_value(const char *value, zone_file_kind kind, char *out) noexcept;
