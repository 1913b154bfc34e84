// SPDX-License-Identifier: MIT
// Fuzz target for the zone's mend (src/zone_mend.h).
//
// Input: one byte that chooses what the lookup finds (bits 0-1: what every path is, none,
// a zone file or another file; bit 2: only paths in /share/zoneinfo/ are there), then the
// TZ value (a NUL ends it early; at most 5000 bytes, past musl's limit).
//
// Checked on every input: nothing is written past mended_zone_size bytes, and nothing at all
// when the value is left alone; what is written is NUL-terminated and its length is the one
// returned; the same input gives the same bytes twice; a path handed to musl is absolute and
// one the lookup found a zone file at (or, for ":", the local zone's); anything else handed to musl is a
// POSIX value, its names in <> of at most 6 bytes, and its every month between 1 and 12.

#include "zone_mend.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t max_value = 5000;
constexpr std::size_t guard = 32;
unsigned lookup_mode = 0;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

zone_file fake_kind(const char *path) {
    require(path[0] == '/');
    if ((lookup_mode & 4U) != 0 && std::strncmp(path, "/share/zoneinfo/", 16) != 0) {
        return zone_file::none;
    }
    switch (lookup_mode & 3U) {
    case 1:
        return zone_file::zone;
    case 2:
        return zone_file::other;
    default:
        return zone_file::none;
    }
}

// The shape of a POSIX value as the mend writes one: <name>offset, and where there is a
// second <name>offset, two rules.
void require_posix(const char *p) {
    int zones = 0;
    while (*p == '<') {
        const char *const close = std::strchr(p, '>');
        require(close != nullptr && close - p - 1 <= 6);
        p = close + 1;
        p += (*p == '-') ? 1 : 0;
        require(*p >= '0' && *p <= '9');
        while ((*p >= '0' && *p <= '9') || *p == ':') {
            ++p;
        }
        ++zones;
    }
    require(zones == 1 || zones == 2);
    for (int rule = 0; rule < (zones == 2 ? 2 : 0); ++rule) {
        require(*p++ == ',');
        if (*p == 'M') {
            char *end = nullptr;
            const long month = std::strtol(p + 1, &end, 10);
            require(month >= 1 && month <= 12);
            p = end;
        }
        p = std::strchr(p, '/');
        require(p != nullptr);
        p += std::strspn(p, "/-0123456789:");
        require(*p == '\0' || *p == ',');
    }
    require(*p == '\0');
}

} // namespace

// libFuzzer fixes the name.
// NOLINTNEXTLINE(readability-identifier-naming)
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    lookup_mode = data[0];
    char value[max_value + 1];
    const std::size_t length = size - 1 < max_value ? size - 1 : max_value;
    std::memcpy(value, data + 1, length);
    value[length] = '\0';

    char out[mended_zone_size + guard];
    std::memset(out, 0x5A, sizeof out);
    const std::size_t written = mend_zone_value(value, fake_kind, out);
    for (std::size_t i = written == 0 ? 0 : mended_zone_size; i < sizeof out; ++i) {
        require(static_cast<unsigned char>(out[i]) == 0x5A);
    }
    if (written == 0) {
        return 0;
    }
    require(written < mended_zone_size && out[written] == '\0' && std::strlen(out) == written);
    char again[mended_zone_size];
    require(mend_zone_value(value, fake_kind, again) == written && std::memcmp(out, again, written) == 0);
    if (out[0] == ':') {
        // (":" alone is glibc's local zone.)
        require(out[1] == '/' && (std::strcmp(value, ":") == 0 ? std::strcmp(out, ":/etc/localtime") == 0
                                                               : fake_kind(out + 1) == zone_file::zone));
    } else {
        require_posix(out);
    }
    return 0;
}
