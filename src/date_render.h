// SPDX-License-Identifier: MIT
// Reading the clock, rendering the one output line, and printing it.
#pragma once

#include <stddef.h>
#include <time.h>

// Size of the line buffer that main owns. The formatter gets one byte less (249), so an
// expansion of at most 248 characters fits and the buffer's last byte is never written by it.
constexpr size_t line_buffer_size = 250;
constexpr size_t format_capacity = line_buffer_size - 1;

// Reads the calendar time once into *now. Returns false when the clock cannot be read;
// errno then tells why. -1 is a valid instant (one second before the Epoch) and is taken
// as a failure only when the call also set errno.
bool read_clock(time_t *now);

// Fills line_buffer with the fixed default form of the local time of `now`, e.g.
// "Tue Mar 14 12:41:29 1995" and a newline (day of month padded with a blank, every digit
// of the year). Returns false, leaving line_buffer untouched, when `now` has no local time.
bool render_default(time_t now, char *line_buffer);

// Fills line_buffer with the expansion of `format` for the local time of `now`: at most
// 248 characters; a longer expansion is cut there. Returns false, leaving line_buffer
// untouched, when `now` has no local time.
bool render_format(time_t now, const char *format, char *line_buffer);

// Writes the buffer's text and one newline to standard output, then closes standard
// output (which flushes it) so that every failure of the output shows here. Returns false when any
// of it failed; errno then tells why.
bool print_line(const char *line_buffer);
