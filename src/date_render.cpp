// SPDX-License-Identifier: MIT
#include "date_render.h"

#include "format_engine.h"

#include <errno.h>
#include <stdio.h>

static_assert(sizeof(time_t) >= 8, "the clock must reach past 2038");

namespace {

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
    const time_t value = time(nullptr);
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
