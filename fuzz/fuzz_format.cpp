// SPDX-License-Identifier: MIT
// Fuzz target for the conversion engine.
//
// Input: a 48-byte header, then the FORMAT bytes (a NUL ends FORMAT early). The header
// holds the nine int fields of the broken-down time (any values, out-of-range and extreme
// ones included), the seconds for %s, the capacity (0 to 300) and the choice of zone name.
// A short input is padded with zeros.
//
// FORMAT may hold any bytes, flags and widths of any length among them.
// Checked on every input: nothing is written at or past the capacity; the result is
// NUL-terminated when the capacity is at least 1, and its reported length is below the
// capacity and equals its strlen; the same input gives the same bytes twice; the cut
// result is the start of the whole expansion. For in-range fields and formats made only of
// the sequences the C library shares with us, the result equals glibc's strftime.

#include "format_engine.h"
#include "sequences.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

namespace {

constexpr std::size_t header_size = 48;
constexpr std::size_t max_capacity = 300;
constexpr std::size_t guard = 32;
constexpr std::size_t max_format = 4096;

const char long_zone[] = "A-zone-name-far-longer-than-any-real-one-A-zone-name-far-longer-than-any-real-one-"
                         "A-zone-name-far-longer-than-any-real-one-A-zone-name-far-longer-than-any-real-one";
const char *const zones[] = {"UTC", "EST", "EDT", "IST", "+1030", "", nullptr, long_zone};

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

int read_int(const std::uint8_t *p) {
    std::uint32_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return static_cast<int>(v);
}

#if defined(__GLIBC__)
bool fields_in_range(const std::tm &t) {
    return t.tm_sec >= 0 && t.tm_sec <= 60 && t.tm_min >= 0 && t.tm_min <= 59 && t.tm_hour >= 0 &&
           t.tm_hour <= 23 && t.tm_mday >= 1 && t.tm_mday <= 31 && t.tm_mon >= 0 && t.tm_mon <= 11 &&
           t.tm_year >= 1000 - 1900 && t.tm_year <= 9999 - 1900 && t.tm_wday >= 0 && t.tm_wday <= 6 &&
           t.tm_yday >= 0 && t.tm_yday <= 365 && t.tm_isdst >= 0 && t.tm_isdst <= 1;
}

// Whether the conversion `c` means what glibc's does: the conversions of the table
// (completion/sequences.tsv) but %z (glibc: a numeric offset) and %s (glibc: mktime of the
// fields).
bool shared_conversion(char c) {
    for (const char *sequence : {TSTAMP_PLAIN_SEQUENCES}) {
        if (sequence[1] == c) {
            return c != 'z' && c != 's';
        }
    }
    return false;
}

// Whether every "%" of the format starts a sequence whose C-locale meaning glibc shares:
// any of the flags "-", "_", "0" and "^", a width up to 249 (ours stops there), then a
// shared conversion or one of C99's E and O forms (the table's E and O column); no "#"
// (glibc changes case), no "+" (POSIX's rule, not glibc's), nothing we copy as typed.
bool shared_with_glibc(const char *format) {
    for (const char *p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            continue;
        }
        ++p;
        while (*p == '-' || *p == '_' || *p == '0' || *p == '^') {
            ++p;
        }
        long width = 0;
        while (*p >= '0' && *p <= '9') {
            width = width * 10 + (*p++ - '0');
            if (width > 249) {
                return false;
            }
        }
        if (*p == 'E') {
            ++p;
            if (*p == '\0' || std::strchr(TSTAMP_E_CONVERSIONS, *p) == nullptr) {
                return false;
            }
        } else if (*p == 'O') {
            ++p;
            if (*p == '\0' || std::strchr(TSTAMP_O_CONVERSIONS, *p) == nullptr) {
                return false;
            }
        } else if (*p == '\0' || !shared_conversion(*p)) {
            return false;
        }
    }
    return true;
}
#endif

} // namespace

// libFuzzer fixes the name; declared first, as every function with external linkage is.
// NOLINTNEXTLINE(readability-identifier-naming)
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
// NOLINTNEXTLINE(readability-identifier-naming)
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::uint8_t header[header_size] = {};
    std::memcpy(header, data, size < header_size ? size : header_size);
    std::tm t{};
    int *const fields[] = {&t.tm_sec,  &t.tm_min,  &t.tm_hour, &t.tm_mday, &t.tm_mon,
                           &t.tm_year, &t.tm_wday, &t.tm_yday, &t.tm_isdst};
    for (std::size_t i = 0; i < 9; ++i) {
        *fields[i] = read_int(header + 4 * i);
    }
    long long seconds = 0;
    std::memcpy(&seconds, header + 36, sizeof seconds);
    const std::size_t capacity =
        (header[44] | static_cast<std::size_t>(header[45]) << 8) % (max_capacity + 1);
    const char *zone = zones[header[46] % (sizeof zones / sizeof *zones)];

    static char format[max_format + 1];
    const std::size_t format_size = size > header_size ? size - header_size : 0;
    const std::size_t n = format_size < max_format ? format_size : max_format;
    std::memcpy(format, data + header_size, n);
    format[n] = '\0';

    // The cut result, twice, with guard bytes beyond the capacity.
    static char out[max_capacity + guard];
    static char again[max_capacity + guard];
    std::memset(out, 0x5a, sizeof out);
    std::memset(again, 0x5a, sizeof again);
    const format_result r = format_time(out, capacity, format, t, seconds, zone);
    const format_result r2 = format_time(again, capacity, format, t, seconds, zone);
    for (std::size_t i = capacity; i < sizeof out; ++i) {
        require(out[i] == 0x5a);
    }
    require(r.length == r2.length && r.fitted == r2.fitted);
    require(std::memcmp(out, again, sizeof out) == 0);
    if (capacity == 0) {
        require(r.length == 0);
        return 0;
    }
    require(r.length < capacity);
    require(out[r.length] == '\0' && std::strlen(out) == r.length);

    // The whole expansion: the cut result is its start, and it fits exactly when it is
    // shorter than the capacity.
    static char whole[max_format * 32];
    const format_result w = format_time(whole, sizeof whole, format, t, seconds, zone);
    if (w.fitted) {
        require(std::memcmp(whole, out, r.length) == 0);
        require(r.fitted == (w.length < capacity));
        require(r.fitted ? r.length == w.length : r.length == capacity - 1);
    }

#if defined(__GLIBC__)
    // An empty zone name is left out too: glibc then falls back to its own tzname.
    if (zone != nullptr && *zone != '\0' && fields_in_range(t) && shared_with_glibc(format)) {
        t.tm_zone = zone;
        static char theirs[sizeof whole];
        const std::size_t length = std::strftime(theirs, sizeof theirs, format, &t);
        if (length > 0) {
            require(w.fitted && w.length == length && std::memcmp(whole, theirs, length) == 0);
        }
    }
#endif
    return 0;
}
