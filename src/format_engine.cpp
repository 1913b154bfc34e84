// SPDX-License-Identifier: MIT
#include "format_engine.h"

namespace {

// C locale names. The abbreviations are the first three letters of these. Fixed-width
// rows rather than pointers: the program then needs no relocation for them at start-up.
constexpr size_t name_width = 10;
constexpr char weekday_names[7][name_width] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
constexpr char month_names[12][name_width] = {"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
constexpr size_t abbreviation_length = 3;

// The engine's own, so the program imports no more from the C library than it must:
// every imported function costs a symbol lookup at start-up.
size_t text_length(const char *text) noexcept {
    size_t n = 0;
    while (text[n] != '\0') {
        ++n;
    }
    return n;
}

// Composite conversions, written in terms of the simple ones.
constexpr const char default_form[] = "%a %b %e %H:%M:%S %Y";
constexpr const char long_date_time_form[] = "%A, %B %#d, %Y, %H:%M:%S";
constexpr const char long_date_form[] = "%A, %B %#d, %Y";

// The expansion so far, in the caller's buffer. `room` excludes the byte kept for the
// NUL, so data[length] is always writable once the expansion ends. Only `append` writes
// to it: that function alone knows the room and where the text is cut.
struct sink {
    char *data;
    size_t room;
    size_t length;
    bool overflow;
};

// Appends the first `n` bytes of `text`, or as many of them as there is room for; a cut
// is remembered in `overflow`. Once the room is full every later call writes nothing.
void append(sink &s, const char *text, size_t n) noexcept {
    const size_t free_bytes = s.room - s.length;
    const bool fits = n <= free_bytes;
    const size_t count = fits ? n : free_bytes;
    // Through a local cursor: a store through char* may alias the sink itself.
    char *out = s.data + s.length;
    for (size_t i = 0; i < count; ++i) {
        out[i] = text[i];
    }
    s.length += count;
    if (!fits) {
        s.overflow = true;
    }
}

// One simple conversion's text: either in a scratch buffer of the renderer's or in
// constant storage (names, the zone). It is appended whole or cut by `append`.
struct piece {
    const char *text;
    size_t length;
};

// Big enough for any number a conversion prints: a long long's sign and 19 digits.
constexpr size_t scratch_size = 24;
struct scratch {
    char bytes[scratch_size];
};

piece text_piece(const char *text, size_t length) noexcept {
    return {text, length};
}

piece unknown_field() noexcept {
    return text_piece("?", 1);
}

// Decimal `value`, any size: a minus sign when negative, then the magnitude padded with
// `pad` to `width` digits (width <= 3). `strip` (the "#" flag) drops the padding; zero
// still prints "0". Written from the last digit back, at the end of `buffer`.
piece number(scratch &buffer, long long value, size_t width, char pad, bool strip) noexcept {
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    char *const end = buffer.bytes + scratch_size;
    char *first = end;
    do {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (!strip) {
        while (static_cast<size_t>(end - first) < width) {
            *--first = pad;
        }
    }
    if (value < 0) {
        *--first = '-';
    }
    return text_piece(first, static_cast<size_t>(end - first));
}

// A numeric field whose source must lie in [low, high]; anything else renders as "?".
piece field(scratch &buffer, int source, int low, int high, long long value, size_t width, bool strip,
            char pad = '0') noexcept {
    if (source < low || source > high) {
        return unknown_field();
    }
    return number(buffer, value, width, pad, strip);
}

template <size_t count>
piece name(const char (&names)[count][name_width], int index, bool abbreviated) noexcept {
    if (index < 0 || static_cast<size_t>(index) >= count) {
        return unknown_field();
    }
    const char *text = names[index];
    return text_piece(text, abbreviated ? abbreviation_length : text_length(text));
}

bool is_leap(long long year) noexcept {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Floor division and modulo by 100, so that %C and %y of a negative year still rebuild it.
long long century_of(long long year) noexcept {
    return year / 100 - (year % 100 < 0 ? 1 : 0);
}
long long year_in_century(long long year) noexcept {
    return (year % 100 + 100) % 100;
}

// Days from the Monday that starts ISO week 1 (the week holding the year's first Thursday)
// to day `yday` of the year, negative before it.
int iso_week_days(int yday, int wday) noexcept {
    constexpr int monday = 1;
    constexpr int thursday = 4;
    constexpr int multiple_of_7_above_366 = 378; // keeps the left operand of % non-negative
    return yday - (yday - wday + thursday + multiple_of_7_above_366) % 7 + thursday - monday;
}

struct iso_week {
    long long year;
    int week;
};

// Requires yday in [0, 365] and wday in [0, 6].
iso_week iso_week_of(long long year, int yday, int wday) noexcept {
    int days = iso_week_days(yday, wday);
    if (days < 0) {
        --year;
        days = iso_week_days(yday + 365 + (is_leap(year) ? 1 : 0), wday);
    } else {
        const int next_year_days = iso_week_days(yday - (365 + (is_leap(year) ? 1 : 0)), wday);
        if (next_year_days >= 0) {
            ++year;
            days = next_year_days;
        }
    }
    return {year, days / 7 + 1};
}

long long full_year(const tm &t) noexcept {
    return static_cast<long long>(t.tm_year) + 1900;
}

// The week numbers read both the day of the year and the weekday.
bool week_fields_valid(const tm &t) noexcept {
    return t.tm_yday >= 0 && t.tm_yday <= 365 && t.tm_wday >= 0 && t.tm_wday <= 6;
}

struct instant {
    const tm &t;
    long long seconds;
    const char *zone;
};

// C99 allows E and O only before these conversions; elsewhere the sequence is unknown.
bool modifier_allows(char modifier, char conversion) noexcept {
    switch (modifier) {
    case '\0':
        return true;
    case 'E':
        switch (conversion) {
        case 'c':
        case 'C':
        case 'x':
        case 'X':
        case 'y':
        case 'Y':
            return true;
        default:
            return false;
        }
    default: // 'O'
        switch (conversion) {
        case 'd':
        case 'e':
        case 'H':
        case 'I':
        case 'm':
        case 'M':
        case 'S':
        case 'u':
        case 'U':
        case 'V':
        case 'w':
        case 'W':
        case 'y':
            return true;
        default:
            return false;
        }
    }
}

// A conversion that stands for a FORMAT of simple ones; `pass_alt` tells whether a "#"
// on it reaches the numeric fields inside. `form` is null for every other conversion.
struct composite {
    const char *form;
    bool pass_alt;
};

composite composite_of(char conversion, bool alt) noexcept {
    switch (conversion) {
    case 'c':
        return {alt ? long_date_time_form : default_form, false};
    case 'D':
        return {"%m/%d/%y", alt};
    case 'F':
        return {"%Y-%m-%d", alt};
    case 'r':
        return {"%I:%M:%S %p", alt};
    case 'R':
        return {"%H:%M", alt};
    case 'T':
        return {"%H:%M:%S", alt};
    case 'x':
        return {alt ? long_date_form : "%m/%d/%y", false};
    case 'X':
        return {"%H:%M:%S", false}; // "#" is ignored here
    default:
        return {nullptr, false};
    }
}

// Renders one simple conversion into `result`, its digits (if any) in `buffer`. Returns
// false when `conversion` is not one of ours; the caller then copies the sequence as typed.
bool render_simple(char conversion, bool alt, const instant &in, scratch &buffer, piece &result) noexcept {
    const tm &t = in.t;
    switch (conversion) {
    case 'a':
    case 'A':
        result = name(weekday_names, t.tm_wday, conversion == 'a');
        break;
    case 'b':
    case 'h':
    case 'B':
        result = name(month_names, t.tm_mon, conversion != 'B');
        break;
    case 'C':
        result = number(buffer, century_of(full_year(t)), 2, '0', alt);
        break;
    case 'd':
        result = field(buffer, t.tm_mday, 1, 31, t.tm_mday, 2, alt);
        break;
    case 'e':
        result = field(buffer, t.tm_mday, 1, 31, t.tm_mday, 2, alt, ' ');
        break;
    case 'g':
    case 'G':
    case 'V':
        if (!week_fields_valid(t)) {
            result = unknown_field();
        } else {
            const iso_week week = iso_week_of(full_year(t), t.tm_yday, t.tm_wday);
            if (conversion == 'V') {
                result = number(buffer, week.week, 2, '0', alt);
            } else if (conversion == 'g') {
                result = number(buffer, year_in_century(week.year), 2, '0', alt);
            } else {
                result = number(buffer, week.year, 1, '0', alt);
            }
        }
        break;
    case 'H':
        result = field(buffer, t.tm_hour, 0, 23, t.tm_hour, 2, alt);
        break;
    case 'I':
        result = field(buffer, t.tm_hour, 0, 23, t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12, 2, alt);
        break;
    case 'j':
        result = field(buffer, t.tm_yday, 0, 365, t.tm_yday + 1LL, 3, alt); // no overflow before the check
        break;
    case 'm':
        result = field(buffer, t.tm_mon, 0, 11, t.tm_mon + 1LL, 2, alt); // no overflow before the check
        break;
    case 'M':
        result = field(buffer, t.tm_min, 0, 59, t.tm_min, 2, alt);
        break;
    case 'n':
        result = text_piece("\n", 1);
        break;
    case 'p':
        result =
            t.tm_hour < 0 || t.tm_hour > 23 ? unknown_field() : text_piece(t.tm_hour < 12 ? "AM" : "PM", 2);
        break;
    case 's':
        result = number(buffer, in.seconds, 1, '0', alt);
        break;
    case 'S':
        result = field(buffer, t.tm_sec, 0, 60, t.tm_sec, 2, alt); // 60: a leap second
        break;
    case 't':
        result = text_piece("\t", 1);
        break;
    case 'u':
        result = field(buffer, t.tm_wday, 0, 6, t.tm_wday == 0 ? 7 : t.tm_wday, 1, alt);
        break;
    case 'U':
        result = week_fields_valid(t) ? number(buffer, (t.tm_yday + 7 - t.tm_wday) / 7, 2, '0', alt)
                                      : unknown_field();
        break;
    case 'w':
        result = field(buffer, t.tm_wday, 0, 6, t.tm_wday, 1, alt);
        break;
    case 'W':
        result = week_fields_valid(t) ? number(buffer, (t.tm_yday + 7 - (t.tm_wday + 6) % 7) / 7, 2, '0', alt)
                                      : unknown_field();
        break;
    case 'y':
        result = number(buffer, year_in_century(full_year(t)), 2, '0', alt);
        break;
    case 'Y':
        result = number(buffer, full_year(t), 1, '0', alt);
        break;
    case 'z':
    case 'Z':
        // A name, never a numeric offset; nothing when the zone is unknown.
        result = t.tm_isdst >= 0 && in.zone != nullptr ? text_piece(in.zone, text_length(in.zone))
                                                       : text_piece("", 0);
        break;
    case '%':
        result = text_piece("%", 1);
        break;
    default:
        return false;
    }
    return true;
}

// Scanner: literal runs are copied, each "%" [#] [E|O] <conversion> is rendered, and a
// sequence that is not ours (including a "%" or "%#" at the end) is copied as typed.
// `force_alt` carries a composite's "#" into the numeric fields inside it. Once the text
// has been cut nothing more can be written, so the scan stops there.
void expand(sink &s, const char *format, bool force_alt, const instant &in) noexcept {
    const char *p = format;
    while (*p != '\0' && !s.overflow) {
        if (*p != '%') {
            const char *run = p;
            do {
                ++p;
            } while (*p != '\0' && *p != '%');
            append(s, run, static_cast<size_t>(p - run));
            continue;
        }
        const char *sequence = p++;
        bool alt = force_alt;
        if (*p == '#') {
            alt = true;
            ++p;
        }
        char modifier = '\0';
        if (*p == 'E' || *p == 'O') {
            modifier = *p++;
        }
        const char conversion = *p;
        if (conversion != '\0') {
            ++p;
        }
        if (conversion == '\0' || !modifier_allows(modifier, conversion)) {
            append(s, sequence, static_cast<size_t>(p - sequence));
            continue;
        }
        const composite whole = composite_of(conversion, alt);
        if (whole.form != nullptr) {
            expand(s, whole.form, whole.pass_alt, in);
            continue;
        }
        scratch buffer;
        piece rendered{};
        if (render_simple(conversion, alt, in, buffer, rendered)) {
            append(s, rendered.text, rendered.length);
        } else {
            append(s, sequence, static_cast<size_t>(p - sequence));
        }
    }
}

} // namespace

format_result format_time(char *out, size_t capacity, const char *format, const tm &t, long long seconds,
                          const char *zone) noexcept {
    // With capacity 0 there is no room even for the NUL: the expansion still runs, to
    // tell whether it is empty, but writes nothing.
    sink s{out, capacity > 0 ? capacity - 1 : 0, 0, false};
    const instant in{t, seconds, zone};
    expand(s, format, false, in);
    if (capacity > 0) {
        out[s.length] = '\0';
    }
    return {s.length, !s.overflow};
}
