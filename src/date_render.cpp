// SPDX-License-Identifier: MIT
#include "date_render.h"

#include "format_engine.h"

#include <errno.h>
#include <stdio.h>
#if defined(TSTAMP_LIBC_MUSL)
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#endif

static_assert(sizeof(time_t) >= 8, "the clock must reach past 2038");

#if defined(TSTAMP_TEST_CLOCK)
// Only in the test-clock copy of a Windows build (tests/CMakeLists.txt): the test stand-in
// for the clock, tests/e2e/clock_shim.c. msvcrt's clock is a call into a DLL, which the
// linker cannot send elsewhere as it does for a static program's (-Wl,--wrap).
extern "C" time_t tstamp_test_time(time_t *out);
#endif

namespace {

#if defined(TSTAMP_LIBC_MUSL)
// musl reads TZ as a POSIX zone string, without looking for a zone file of that name,
// whenever its leading name (letters, or anything in <>) is followed by a sign or a digit,
// or is UTC or GMT; and a string with a daylight name but no rules gets rules of zero:
// daylight time nearly all year. So EST5EDT, W-SU (W, an offset, the daylight name SU),
// NZ-CHAT and GB-Eire, zones of tzdata all, came out an hour or more wrong. glibc reads
// such a value from the zone file of that name where there is one, and otherwise gives it
// the rules M3.2.0,M11.1.0. So does this program: such a value (and no other) is handed to
// musl as ":NAME" when one of musl's own zone folders holds a zone file NAME, or with those
// rules added. A value holding "." (so no "..") keeps musl's own reading, as does one
// longer than a file name can be.

constexpr size_t zone_name_max = 255; // NAME_MAX: the longest name musl looks up
constexpr char default_rules[] = ",M3.2.0,M11.1.0";
// The mended TZ, in storage that lasts: the environment points at it from then on.
char mended_zone[sizeof "TZ=:" + zone_name_max + sizeof default_rules];

bool is_letter(char c) {
    return static_cast<unsigned char>((c | 32) - 'a') < 26;
}

bool is_digit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

// A zone name as musl reads it: letters, or anything between "<" and ">".
const char *skip_name(const char *p) {
    if (*p == '<') {
        p = strchrnul(p, '>');
        return *p == '>' ? p + 1 : p;
    }
    while (is_letter(*p)) {
        ++p;
    }
    return p;
}

// An offset: a sign, then hours, minutes and seconds separated by ":".
const char *skip_offset(const char *p) {
    if (*p == '+' || *p == '-') {
        ++p;
    }
    for (int part = 0; part < 3; ++part) {
        while (is_digit(*p)) {
            ++p;
        }
        if (part == 2 || *p != ':') {
            break;
        }
        ++p;
    }
    return p;
}

// Where the rules of `value` would start, when musl reads it as a POSIX string with a
// daylight name and no rules (nothing after the names and offsets, or a lone ","); null
// for any other value.
const char *missing_rules(const char *value) {
    const char *p = skip_name(value);
    const bool utc_or_gmt =
        p - value == 3 && (strncmp(value, "UTC", 3) == 0 || strncmp(value, "GMT", 3) == 0);
    if (p == value || !(*p == '+' || *p == '-' || is_digit(*p) || utc_or_gmt)) {
        return nullptr;
    }
    p = skip_offset(p);
    const char *const daylight = p;
    p = skip_name(p);
    if (p == daylight) {
        return nullptr;
    }
    if (*p == '+' || *p == '-' || is_digit(*p)) {
        p = skip_offset(p);
    }
    return *p == '\0' || strcmp(p, ",") == 0 ? p : nullptr;
}

// musl's zone folders, in the order it looks in them. Fixed-width rows rather than
// pointers: the program then needs no relocation for them at start-up.
constexpr char zone_folders[3][sizeof "/usr/share/zoneinfo/"] = {"/usr/share/zoneinfo/", "/share/zoneinfo/",
                                                                 "/etc/zoneinfo/"};

// Whether the first of musl's zone folders that holds a file `name` holds a zone file
// (TZif) by that name. The caller keeps `name` within zone_name_max.
bool has_zone_file(const char *name) {
    for (const char *folder : zone_folders) {
        char path[sizeof zone_folders[0] + zone_name_max];
        strcpy(stpcpy(path, folder), name);
        const int file = open(path, O_RDONLY | O_CLOEXEC);
        if (file < 0) {
            continue;
        }
        char magic[4];
        const bool zone = read(file, magic, sizeof magic) == sizeof magic && memcmp(magic, "TZif", 4) == 0;
        close(file);
        return zone;
    }
    return false;
}

void mend_zone() {
    const char *const value = getenv("TZ");
    const char *const rules = value == nullptr ? nullptr : missing_rules(value);
    if (rules == nullptr || strchr(value, '.') != nullptr || strlen(value) > zone_name_max) {
        return;
    }
    if (has_zone_file(value)) {
        strcpy(stpcpy(mended_zone, "TZ=:"), value);
    } else {
        // The names and offsets, then the rules.
        const size_t kept = static_cast<size_t>(rules - value);
        char *const end = stpcpy(mended_zone, "TZ=");
        memcpy(end, value, kept);
        strcpy(end + kept, default_rules);
    }
    putenv(mended_zone);
}
#endif

// Broken-down local time of `now`, copied into the caller's record at once.
bool local_time(time_t now, tm *local) {
#if defined(_WIN32)
    // The runtime keeps this record per thread; nothing else runs between the call and
    // the copy.
    const tm *record = localtime(&now);
    if (record == nullptr) {
        return false;
    }
    *local = *record;
    return true;
#else
#if defined(TSTAMP_LIBC_MUSL)
    mend_zone();
#endif
    return localtime_r(&now, local) != nullptr;
#endif
}

// The zone's name or abbreviation at the instant of `local`, as the platform knows it.
const char *zone_name(const tm &local) {
#if defined(_WIN32)
    return _tzname[local.tm_isdst > 0 ? 1 : 0];
#else
    return local.tm_zone;
#endif
}

bool render(time_t now, const char *format, char *line_buffer) {
    tm local; // filled whole by local_time, or not used
    if (!local_time(now, &local)) {
        return false;
    }
    // An expansion that does not fit is kept as cut by the engine: its first 248 bytes.
    format_time(line_buffer, format_capacity, format, local, static_cast<long long>(now), zone_name(local));
    return true;
}

} // namespace

bool read_clock(time_t *now) {
    errno = 0;
#if defined(TSTAMP_TEST_CLOCK)
    const time_t value = tstamp_test_time(nullptr);
#else
    const time_t value = time(nullptr);
#endif
    if (value == static_cast<time_t>(-1) && errno != 0) {
        return false;
    }
    *now = value;
    return true;
}

bool render_default(time_t now, char *line_buffer) {
    // The default form is %c with its own newline; the printed line then ends in an empty line.
    return render(now, "%c\n", line_buffer);
}

bool render_format(time_t now, const char *format, char *line_buffer) {
    return render(now, format, line_buffer);
}

bool print_line(const char *line_buffer) {
    // What puts does, with the one output function the program imports anyway.
    if (fputs(line_buffer, stdout) == EOF || fputs("\n", stdout) == EOF) {
        return false;
    }
    // A buffered write succeeds even when the final one fails, and some runtimes report a
    // full device only when the stream is closed. glibc's close flushes what is left and
    // reports a failure of either; msvcrt's close reports success after a failed flush, so
    // there the flush is checked first. (Any earlier failure already showed in fputs.)
#if defined(_WIN32)
    if (fflush(stdout) != 0) {
        return false;
    }
#endif
    return fclose(stdout) == 0;
}
