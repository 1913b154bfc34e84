// SPDX-License-Identifier: MIT
// tstamp: prints the current local date and time, in the default form or as +FORMAT says.
//
// Exit status: 0 after printing the line; 1 when the clock or the local time cannot be
// had or the line cannot be written (with one "tstamp: ..." line on standard error);
// 2 after the usage text for any other command line.

#include "date_render.h"
#include "usage_text.h"

#include <errno.h>
#include <signal.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>

namespace {

constexpr int status_printed = 0;
constexpr int status_failed = 1;
constexpr int status_rejected = 2;

// Appends as much of `text` as fits, keeping room for the NUL.
void append(char *line, size_t capacity, size_t *length, const char *text) {
    while (*text != '\0' && *length + 1 < capacity) {
        line[(*length)++] = *text++;
    }
    line[*length] = '\0';
}

// One line naming the failure and, where errno holds one, its reason. It is assembled
// first and written at once: standard error is unbuffered.
int report_failure(const char *what) {
    const int reason = errno;
    char line[256];
    size_t length = 0;
    append(line, sizeof line, &length, "tstamp: ");
    append(line, sizeof line, &length, what);
    if (reason != 0) {
        append(line, sizeof line, &length, ": ");
        append(line, sizeof line, &length, strerror(reason));
    }
    append(line, sizeof line, &length, "\n");
    fputs(line, stderr);
    return status_failed;
}

} // namespace

int main(int argc, char **argv) {
    // No operand, or exactly one whose first byte is "+"; an empty operand starts with its
    // NUL and is rejected like any other. The clock is read only on the accepted path.
    if (argc > 2 || (argc == 2 && argv[1][0] != '+')) {
#if defined(SIGPIPE)
        // The status is 2 whatever happens to the usage text, a reader that has gone
        // included: the broken-pipe signal would end the process with its own status.
        signal(SIGPIPE, SIG_IGN);
#endif
        write_usage();
        return status_rejected;
    }
    time_t now = 0;
    if (!read_clock(&now)) {
        return report_failure("cannot read the clock");
    }
    char line_buffer[line_buffer_size];
    const bool rendered =
        argc == 2 ? render_format(now, argv[1] + 1, line_buffer) : render_default(now, line_buffer);
    if (!rendered) {
        return report_failure("cannot convert the time to local time");
    }
    if (!print_line(line_buffer)) {
        return report_failure("write error");
    }
    return status_printed;
}
