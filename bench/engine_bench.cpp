// SPDX-License-Identifier: MIT
// The conversion engine against the C library's strftime on the same formats.

#include "format_engine.h"

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

const char short_format[] = "%Y-%m-%d %H:%M:%S";
// About 200 characters: names, numbers, composites and literal text.
const char mixed_format[] = "Today is %A, %d %B %Y (day %j, week %U/%W); the time is %H:%M:%S, "
                            "that is %I:%M %p. Short forms: %a %b %y, %D, %T, %F, %R. "
                            "Weekday %w/%u, ISO %G-W%V, %e %C. Locale: %c | %x | %X %%";

std::tm sample_time() {
    std::time_t now = 795184889;
    std::tm local{};
#if defined(_WIN32)
    local = *std::gmtime(&now);
#else
    gmtime_r(&now, &local);
#endif
    return local;
}

void engine(benchmark::State &state, const char *format) {
    const std::tm t = sample_time();
    char out[250];
    for (auto _ : state) {
        benchmark::DoNotOptimize(format_time(out, 249, format, t, 795184889, "UTC"));
        benchmark::ClobberMemory();
    }
}

void library_strftime(benchmark::State &state, const char *format) {
    const std::tm t = sample_time();
    char out[250];
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::strftime(out, 249, format, &t));
        benchmark::ClobberMemory();
    }
}

BENCHMARK_CAPTURE(engine, short, short_format);
BENCHMARK_CAPTURE(library_strftime, short, short_format);
BENCHMARK_CAPTURE(engine, mixed, mixed_format);
BENCHMARK_CAPTURE(library_strftime, mixed, mixed_format);

} // namespace

BENCHMARK_MAIN();
