// SPDX-License-Identifier: MIT
#include "format_engine.h"

namespace {

// C locale names. The abbreviations are the first three letters of these. Fixed-width
// rows rather than pointers: the program then needs no relocation for them at start-up.
constexpr std::size_t name_width = 10;
constexpr char weekday_names[7][name_width] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
constexpr char month_names[12][name_width] = {"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
constexpr std::size_t abbreviation_length = 3;

// The engine's own, so the program imports no more from the C library than it must:
// every imported function costs a symbol lookup at start-up.
std::size_t text_length(const char *text) noexcept {
    std::size_t n = 0;
    while (text[n] != '\0') {
        ++n;
    }
    return n;
}

// Composite conversions, written in terms of the simple ones.
constexpr const char default_form[] = "%a %b %e %H:%M:%S %Y";
constexpr const char long_date_time_form[] = "%A, %B %#d, %Y, %H:%M:%S";
constexpr const char long_date_form[] = "%A, %B %#d, %Y";

// Output cursor over the caller's buffer. `room` excludes the byte kept for the NUL, so
// data[length] is always writable once the expansion ends.
struct sink {
    char *data;
    std::size_t room;
    std::size_t length;
    bool overflow;
};

// Writers go through a local pointer and update the sink once: a store through char*
// may alias the sink itself, which would otherwise reload its fields at every byte.
void put_text(sink &s, const char *text, std::size_t n) noexcept {
    const std::size_t free_bytes = s.room - s.length;
    const bool fits = n <= free_bytes;
    const std::size_t count = fits ? n : free_bytes;
    char *out = s.data + s.length;
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = text[i];
    }
    s.length += count;
    if (!fits) {
        s.overflow = true;
    }
}

void put_char(sink &s, char c) noexcept {
    if (s.length < s.room) {
        s.data[s.length++] = c;
    } else {
        s.overflow = true;
    }
}

void put_unknown_field(sink &s) noexcept {
    put_char(s, '?');
}

// Decimal `value`, any size: a minus sign when negative, then the magnitude padded with
// `pad` to `width` digits. `strip` (the "#" flag) drops the padding; zero still prints "0".
void put_any_number(sink &s, long long value, std::size_t width, char pad, bool strip) noexcept {
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::size_t digits = 1;
    for (unsigned long long rest = magnitude; rest >= 10; rest /= 10) {
        ++digits;
    }
    const std::size_t padding = strip || digits >= width ? 0 : width - digits;
    const std::size_t sign = value < 0 ? 1 : 0;
    const std::size_t total = sign + padding + digits;
    const std::size_t free_bytes = s.room - s.length;
    char *out = s.data + s.length;
    // From the last digit back; near the end of the room, what lies past it is dropped.
    const bool fits = total <= free_bytes;
    for (std::size_t i = total; i-- > sign + padding;) {
        if (fits || i < free_bytes) {
            out[i] = static_cast<char>('0' + magnitude % 10);
        }
        magnitude /= 10;
    }
    for (std::size_t i = sign; i < sign + padding && i < free_bytes; ++i) {
        out[i] = pad;
    }
    if (sign != 0 && free_bytes > 0) {
        out[0] = '-';
    }
    if (fits) {
        s.length += total;
    } else {
        s.length = s.room;
        s.overflow = true;
    }
}

// "00" to "99", two bytes a number.
constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// As put_any_number; the common cases, a field below 100 in at most two positions and a
// year of four digits, go straight to the buffer.
inline void put_number(sink &s, long long value, std::size_t width, char pad, bool strip) noexcept {
    char *out = s.data + s.length;
    if (value >= 0 && value < 100 && width <= 2 && s.room - s.length >= 2) {
        const std::size_t v = static_cast<std::size_t>(value);
        if (v >= 10 || (width == 2 && !strip && pad == '0')) {
            out[0] = digit_pairs[2 * v];
            out[1] = digit_pairs[2 * v + 1];
            s.length += 2;
        } else if (width == 2 && !strip) {
            out[0] = pad;
            out[1] = digit_pairs[2 * v + 1];
            s.length += 2;
        } else {
            out[0] = digit_pairs[2 * v + 1];
            s.length += 1;
        }
    } else if (value >= 1000 && value < 10000 && width <= 4 && s.room - s.length >= 4) {
        const std::size_t high = static_cast<std::size_t>(value) / 100;
        const std::size_t low = static_cast<std::size_t>(value) % 100;
        out[0] = digit_pairs[2 * high];
        out[1] = digit_pairs[2 * high + 1];
        out[2] = digit_pairs[2 * low];
        out[3] = digit_pairs[2 * low + 1];
        s.length += 4;
    } else {
        put_any_number(s, value, width, pad, strip);
    }
}

// A numeric field whose source must lie in [low, high]; anything else renders as "?".
void put_field(sink &s, int field, int low, int high, long long value, std::size_t width, bool strip,
               char pad = '0') noexcept {
    if (field < low || field > high) {
        put_unknown_field(s);
    } else {
        put_number(s, value, width, pad, strip);
    }
}

template <std::size_t count>
void put_name(sink &s, const char (&names)[count][name_width], int index, bool abbreviated) noexcept {
    if (index < 0 || static_cast<std::size_t>(index) >= count) {
        put_unknown_field(s);
        return;
    }
    const char *name = names[index];
    put_text(s, name, abbreviated ? abbreviation_length : text_length(name));
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

long long full_year(const std::tm &t) noexcept {
    return static_cast<long long>(t.tm_year) + 1900;
}

// The week numbers read both the day of the year and the weekday.
bool week_fields_valid(const std::tm &t) noexcept {
    return t.tm_yday >= 0 && t.tm_yday <= 365 && t.tm_wday >= 0 && t.tm_wday <= 6;
}

struct instant {
    const std::tm &t;
    long long seconds;
    const char *zone;
};

void expand(sink &s, const char *format, bool force_alt, const instant &in) noexcept;

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

// Renders one conversion. Returns false, having written nothing, when `conversion` is not
// one of ours; the caller then copies the sequence as typed.
bool render_conversion(sink &s, char conversion, bool alt, const instant &in) noexcept {
    const std::tm &t = in.t;
    switch (conversion) {
    case 'a':
    case 'A':
        put_name(s, weekday_names, t.tm_wday, conversion == 'a');
        break;
    case 'b':
    case 'h':
    case 'B':
        put_name(s, month_names, t.tm_mon, conversion != 'B');
        break;
    case 'c':
        expand(s, alt ? long_date_time_form : default_form, false, in);
        break;
    case 'C':
        put_number(s, century_of(full_year(t)), 2, '0', alt);
        break;
    case 'd':
        put_field(s, t.tm_mday, 1, 31, t.tm_mday, 2, alt);
        break;
    case 'D':
        expand(s, "%m/%d/%y", alt, in);
        break;
    case 'e':
        put_field(s, t.tm_mday, 1, 31, t.tm_mday, 2, alt, ' ');
        break;
    case 'F':
        expand(s, "%Y-%m-%d", alt, in);
        break;
    case 'g':
    case 'G':
    case 'V':
        if (!week_fields_valid(t)) {
            put_unknown_field(s);
        } else {
            const iso_week week = iso_week_of(full_year(t), t.tm_yday, t.tm_wday);
            if (conversion == 'V') {
                put_number(s, week.week, 2, '0', alt);
            } else if (conversion == 'g') {
                put_number(s, year_in_century(week.year), 2, '0', alt);
            } else {
                put_number(s, week.year, 1, '0', alt);
            }
        }
        break;
    case 'H':
        put_field(s, t.tm_hour, 0, 23, t.tm_hour, 2, alt);
        break;
    case 'I':
        put_field(s, t.tm_hour, 0, 23, t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12, 2, alt);
        break;
    case 'j':
        put_field(s, t.tm_yday, 0, 365, t.tm_yday + 1LL, 3, alt); // no overflow before the check
        break;
    case 'm':
        put_field(s, t.tm_mon, 0, 11, t.tm_mon + 1LL, 2, alt); // no overflow before the check
        break;
    case 'M':
        put_field(s, t.tm_min, 0, 59, t.tm_min, 2, alt);
        break;
    case 'n':
        put_char(s, '\n');
        break;
    case 'p':
        if (t.tm_hour < 0 || t.tm_hour > 23) {
            put_unknown_field(s);
        } else {
            put_text(s, t.tm_hour < 12 ? "AM" : "PM", 2);
        }
        break;
    case 'r':
        expand(s, "%I:%M:%S %p", alt, in);
        break;
    case 'R':
        expand(s, "%H:%M", alt, in);
        break;
    case 's':
        put_number(s, in.seconds, 1, '0', alt);
        break;
    case 'S':
        put_field(s, t.tm_sec, 0, 60, t.tm_sec, 2, alt); // 60: a leap second
        break;
    case 't':
        put_char(s, '\t');
        break;
    case 'T':
        expand(s, "%H:%M:%S", alt, in);
        break;
    case 'u':
        put_field(s, t.tm_wday, 0, 6, t.tm_wday == 0 ? 7 : t.tm_wday, 1, alt);
        break;
    case 'U':
        if (!week_fields_valid(t)) {
            put_unknown_field(s);
        } else {
            put_number(s, (t.tm_yday + 7 - t.tm_wday) / 7, 2, '0', alt);
        }
        break;
    case 'w':
        put_field(s, t.tm_wday, 0, 6, t.tm_wday, 1, alt);
        break;
    case 'W':
        if (!week_fields_valid(t)) {
            put_unknown_field(s);
        } else {
            put_number(s, (t.tm_yday + 7 - (t.tm_wday + 6) % 7) / 7, 2, '0', alt);
        }
        break;
    case 'x':
        expand(s, alt ? long_date_form : "%m/%d/%y", false, in);
        break;
    case 'X':
        expand(s, "%H:%M:%S", false, in); // "#" is ignored here
        break;
    case 'y':
        put_number(s, year_in_century(full_year(t)), 2, '0', alt);
        break;
    case 'Y':
        put_number(s, full_year(t), 1, '0', alt);
        break;
    case 'z':
    case 'Z':
        // A name, never a numeric offset; nothing when the zone is unknown.
        if (t.tm_isdst >= 0 && in.zone != nullptr) {
            put_text(s, in.zone, text_length(in.zone));
        }
        break;
    case '%':
        put_char(s, '%');
        break;
    default:
        return false;
    }
    return true;
}

// Scanner: literal runs are copied, each "%" [#] [E|O] <conversion> is rendered, and a
// sequence that is not ours (including a "%" or "%#" at the end) is copied as typed.
// `force_alt` carries a composite's "#" into the numeric fields inside it.
//
// The sink overflows only with its room full, so once it has, every later write fails and
// writes nothing. A literal run stops the scan there; after a conversion the scan goes on
// rather than pay a check for it every time.
void expand(sink &s, const char *format, bool force_alt, const instant &in) noexcept {
    const char *p = format;
    while (*p != '\0') {
        if (*p != '%') {
            // A literal run, copied as it is scanned through local cursors: a store through
            // char* may alias the sink, so its fields are read and written once a run.
            char *out = s.data + s.length;
            char *const end = s.data + s.room;
            do {
                if (out == end) {
                    s.overflow = true;
                    break;
                }
                *out++ = *p++;
            } while (*p != '\0' && *p != '%');
            s.length = static_cast<std::size_t>(out - s.data);
            if (s.overflow) {
                return;
            }
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
        if (conversion == '\0' || !modifier_allows(modifier, conversion) ||
            !render_conversion(s, conversion, alt, in)) {
            put_text(s, sequence, static_cast<std::size_t>(p - sequence));
        }
    }
}

} // namespace

format_result format_time(char *out, std::size_t capacity, const char *format, const std::tm &t,
                          long long seconds, const char *zone) noexcept {
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
