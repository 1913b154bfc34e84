// SPDX-License-Identifier: MIT
#include "date_render.h"

#include "format_engine.h"

#include <errno.h>
#include <stdio.h>
#if defined(TSTAMP_LIBC_MUSL)
#include "zone_mend.h"

#include <fcntl.h>
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
// musl reads some TZ values otherwise than glibc does; zone_mend.h says which and how they
// are mended. The mended value takes the place of the TZ entry in the environment array
// itself: setenv or putenv would bring in musl's full allocator.

// What a path is to musl: it maps a file that it can open and that is not empty (a folder
// it opens but cannot map), and takes it for a zone file when it holds 44 bytes or more
// and starts "TZif".
zone_file path_kind(const char *path) {
    const int file = open(path, O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        return zone_file::none;
    }
    char head[44];
    const ssize_t length = read(file, head, sizeof head);
    close(file);
    if (length <= 0) {
        return zone_file::none;
    }
    return length == sizeof head && memcmp(head, "TZif", 4) == 0 ? zone_file::zone : zone_file::other;
}

// The mended entry, in storage that lasts: the environment points at it from then on.
// (Zeros until then: it takes no room in the program.)
char mended_zone[sizeof "TZ=" - 1 + mended_zone_size];

void mend_zone() {
    for (char **entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const char *const e = *entry;
        if (e[0] == 'T' && e[1] == 'Z' && e[2] == '=') {
            // The first TZ entry is the one getenv, and so musl, reads; once mended it
            // stays so.
            if (e != mended_zone && mend_zone_value(e + 3, path_kind, mended_zone + 3) > 0) {
                mended_zone[0] = 'T';
                mended_zone[1] = 'Z';
                mended_zone[2] = '=';
                *entry = mended_zone;
            }
            return;
        }
    }
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
#if defined(TSTAMP_LIBC_MUSL)
    // What fclose does, without the free that would bring in musl's full allocator.
    return fflush(stdout) == 0 && close(STDOUT_FILENO) == 0;
#else
    return fclose(stdout) == 0;
#endif
}
