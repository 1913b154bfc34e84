// SPDX-License-Identifier: MIT
// Expands one format many times with the engine or with the C library's strftime, for
// counting instructions per call under callgrind (bench/engine_instructions.sh).
// Usage: engine_calls engine|strftime FORMAT
#include "format_engine.h"

#include <cstdio>
#include <cstring>
#include <ctime>

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fputs("usage: engine_calls engine|strftime FORMAT\n", stderr);
        return 2;
    }
    const bool engine = std::strcmp(argv[1], "engine") == 0;
    const std::time_t now = 795184889;
    std::tm t{};
    gmtime_r(&now, &t);
    char out[250];
    unsigned long total = 0;
    for (int i = 0; i < 10000; ++i) {
        total += engine ? format_time(out, 249, argv[2], t, now, "UTC").length
                        : std::strftime(out, 249, argv[2], &t);
    }
    std::printf("%lu\n", total);
    return 0;
}
