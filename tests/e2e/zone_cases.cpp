// SPDX-License-Identifier: MIT
// Test-only: many TZ values through the program's own rendering in one process. Each line
// of standard input is INSTANT, a tab, and a TZ value; each line of output is what the
// program prints at that instant in that zone for +%a %F %T %Z (the zone's mend included,
// in the static programs), or "-" when there is no local time. The environment holds only
// the TZ entry, so the run is the program's own with TZ set so.

#include "date_render.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

namespace {
char line[16384];
char entry[sizeof line + 3] = "TZ=";
char *environment[] = {entry, nullptr};
} // namespace

int main() {
    while (fgets(line, sizeof line, stdin) != nullptr) {
        line[strcspn(line, "\n")] = '\0';
        char *const tab = strchr(line, '\t');
        if (tab == nullptr) {
            fputs("zone_cases: a line without a tab\n", stderr);
            return 2;
        }
        *tab = '\0';
        const time_t now = static_cast<time_t>(strtoll(line, nullptr, 10));
        strcpy(entry + 3, tab + 1);
        environment[0] = entry;
        environ = environment;
        tzset(); // glibc reads TZ again only here
        char out[line_buffer_size];
        if (!render_format(now, "%a %F %T %Z", out)) {
            strcpy(out, "-");
        }
        fputs(out, stdout);
        fputs("\n", stdout);
    }
    return fflush(stdout) == 0 ? 0 : 1;
}
