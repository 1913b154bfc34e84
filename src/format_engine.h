// SPDX-License-Identifier: MIT
// Conversion engine for +FORMAT: expands the conversion sequences of a FORMAT for one
// broken-down time into a caller's buffer. It is the same code on every platform, so the
// output does not depend on what the platform's own formatter makes of a sequence.
#pragma once

#include <stddef.h>
#include <time.h>

struct format_result {
    size_t length; // bytes written before the terminating NUL
    bool fitted;   // false when the expansion was cut to fit the capacity
};

// Expands `format` for the broken-down time `t` into `out`, a buffer of `capacity` bytes.
//
// Contract: nothing at or beyond out[capacity] is written. When capacity >= 1, out holds
// the first min(L, capacity - 1) bytes of the whole expansion of length L, followed by a
// NUL, and `length` is that count; with capacity 0 nothing is written at all. `fitted`
// tells whether the whole expansion was written.
//
// `seconds` is what %s prints (the instant as seconds since the Epoch); `zone` is what %z
// and %Z print (null or empty: nothing). Fields of `t` outside their ranges render as "?"
// in the conversions that read them; any tm_year is valid.
//
// A pure function: it reads nothing but its arguments, allocates nothing, keeps no state.
format_result format_time(char *out, size_t capacity, const char *format, const tm &t, long long seconds,
                          const char *zone) noexcept;
