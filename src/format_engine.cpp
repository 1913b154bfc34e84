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

// Big enough for any number a conversion prints as it renders: a long long's sign and 19
// digits, or 20 digits of its magnitude and the sign.
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

// What a simple conversion yields: a text (a name, a symbol, the zone, or "?"), or a
// number with the width and the padding it has unless a flag or a width says otherwise.
// A number's text is already rendered so, with its own padding, in the renderer's scratch
// buffer: what a sequence without flags or a width prints.
struct value {
    piece text;
    bool numeric;
    bool keeps_case; // "^" leaves it as it is (%P)
    long long number;
    unsigned char natural_width; // digits, the sign not counted
    char natural_pad;            // '0' or ' '
};

value text_value(piece text, bool keeps_case = false) noexcept {
    return {text, false, keeps_case, 0, 0, '\0'};
}

// Decimal `number`, any size, written from the last digit back at the end of `buffer`:
// the magnitude padded with `pad` to `width` digits, a minus sign in front when negative.
value number_value(scratch &buffer, long long number, unsigned char natural_width,
                   char natural_pad = '0') noexcept {
    unsigned long long magnitude =
        number < 0 ? 0ULL - static_cast<unsigned long long>(number) : static_cast<unsigned long long>(number);
    char *const end = buffer.bytes + scratch_size;
    char *first = end;
    do {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (static_cast<size_t>(end - first) < natural_width) {
        *--first = natural_pad;
    }
    if (number < 0) {
        *--first = '-';
    }
    return {
        text_piece(first, static_cast<size_t>(end - first)), true, false, number, natural_width, natural_pad};
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

// Renders one simple conversion. Returns false when `conversion` is not one of ours; the
// caller then copies the sequence as typed. A numeric conversion only chooses its number,
// width and padding, and checks the field it reads: the number is rendered once, below.
// Inlined into both of its callers: the short way of a sequence without flags is most of
// the engine's work.
[[gnu::always_inline]] inline bool render_simple(char conversion, const instant &in, scratch &buffer,
                                                 value &result) noexcept {
    const tm &t = in.t;
    long long number = 0;
    unsigned char width = 2;
    char pad = '0';
    bool valid = true; // the fields read are in their ranges
    switch (conversion) {
    case 'a':
    case 'A':
        result = text_value(name(weekday_names, t.tm_wday, conversion == 'a'));
        return true;
    case 'b':
    case 'h':
    case 'B':
        result = text_value(name(month_names, t.tm_mon, conversion != 'B'));
        return true;
    case 'C':
        number = century_of(full_year(t));
        break;
    case 'e':
        pad = ' ';
        [[fallthrough]];
    case 'd':
        valid = t.tm_mday >= 1 && t.tm_mday <= 31;
        number = t.tm_mday;
        break;
    case 'g':
    case 'G':
    case 'V':
        valid = week_fields_valid(t);
        if (valid) {
            const iso_week week = iso_week_of(full_year(t), t.tm_yday, t.tm_wday);
            if (conversion == 'V') {
                number = week.week;
            } else if (conversion == 'g') {
                number = year_in_century(week.year);
            } else {
                number = week.year;
                width = 1;
            }
        }
        break;
    case 'k':
        pad = ' ';
        [[fallthrough]];
    case 'H':
        valid = t.tm_hour >= 0 && t.tm_hour <= 23;
        number = t.tm_hour;
        break;
    case 'l':
        pad = ' ';
        [[fallthrough]];
    case 'I':
        valid = t.tm_hour >= 0 && t.tm_hour <= 23;
        number = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
        break;
    case 'j':
        valid = t.tm_yday >= 0 && t.tm_yday <= 365;
        number = t.tm_yday + 1LL; // no overflow, whatever the field holds
        width = 3;
        break;
    case 'm':
        valid = t.tm_mon >= 0 && t.tm_mon <= 11;
        number = t.tm_mon + 1LL; // no overflow, whatever the field holds
        break;
    case 'M':
        valid = t.tm_min >= 0 && t.tm_min <= 59;
        number = t.tm_min;
        break;
    case 'n':
        result = text_value(text_piece("\n", 1));
        return true;
    case 'p':
    case 'P':
        if (t.tm_hour < 0 || t.tm_hour > 23) {
            result = text_value(unknown_field());
        } else if (conversion == 'p') {
            result = text_value(text_piece(t.tm_hour < 12 ? "AM" : "PM", 2));
        } else {
            result = text_value(text_piece(t.tm_hour < 12 ? "am" : "pm", 2), true);
        }
        return true;
    case 's':
        number = in.seconds;
        width = 1;
        pad = ' ';
        break;
    case 'S':
        valid = t.tm_sec >= 0 && t.tm_sec <= 60; // 60: a leap second
        number = t.tm_sec;
        break;
    case 't':
        result = text_value(text_piece("\t", 1));
        return true;
    case 'u':
        valid = t.tm_wday >= 0 && t.tm_wday <= 6;
        number = t.tm_wday == 0 ? 7 : t.tm_wday;
        width = 1;
        break;
    case 'U':
        valid = week_fields_valid(t);
        number = valid ? (t.tm_yday + 7 - t.tm_wday) / 7 : 0; // no overflow before the check
        break;
    case 'w':
        valid = t.tm_wday >= 0 && t.tm_wday <= 6;
        number = t.tm_wday;
        width = 1;
        break;
    case 'W':
        valid = week_fields_valid(t);
        number = valid ? (t.tm_yday + 7 - (t.tm_wday + 6) % 7) / 7 : 0;
        break;
    case 'y':
        number = year_in_century(full_year(t));
        break;
    case 'Y':
        number = full_year(t);
        width = 1;
        break;
    case 'z':
    case 'Z':
        // A name, never a numeric offset; nothing when the zone is unknown.
        result = text_value(t.tm_isdst >= 0 && in.zone != nullptr ? text_piece(in.zone, text_length(in.zone))
                                                                  : text_piece("", 0));
        return true;
    case '%':
        result = text_value(text_piece("%", 1));
        return true;
    default:
        return false;
    }
    result = valid ? number_value(buffer, number, width, pad) : text_value(unknown_field());
    return true;
}

// What a sequence asks for besides its conversion: its flags and width.
struct request {
    char pad;     // the last of "-", "_" and "0" ("#" counts as "-"), or '\0': the conversion's own
    bool upper;   // "^"
    bool alt;     // "#": a composite's long form, or its numeric fields unpadded
    bool plus;    // "+": a year's sign, where the width calls for one
    bool flagged; // a flag other than "+" was given
    size_t width; // at least this many bytes; 0 when no width is given
};

// A width beyond the line: the line is cut at 248 bytes, so 249 pads past the cut.
constexpr size_t widest = 249;

// Appends `n` bytes of `fill` ('0' or ' ').
void append_fill(sink &s, char fill, size_t n) noexcept {
    constexpr size_t block = 16;
    constexpr char zeros[] = "0000000000000000";
    constexpr char blanks[] = "                ";
    const char *text = fill == '0' ? zeros : blanks;
    while (n > 0 && !s.overflow) {
        const size_t count = n < block ? n : block;
        append(s, text, count);
        n -= count;
    }
}

// Appends `text`, in upper case when asked (the C locale's letters only).
void append_case(sink &s, piece text, bool upper) noexcept {
    if (!upper) {
        append(s, text.text, text.length);
        return;
    }
    char chunk[32];
    for (size_t done = 0; done < text.length && !s.overflow;) {
        size_t count = 0;
        for (; count < sizeof chunk && done + count < text.length; ++count) {
            const char c = text.text[done + count];
            chunk[count] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
        append(s, chunk, count);
        done += count;
    }
}

// Appends a text, padded in front to the width: with zeros under "0", else with blanks.
void append_text(sink &s, piece text, const request &r) noexcept {
    if (r.width > text.length) {
        append_fill(s, r.pad == '0' ? '0' : ' ', r.width - text.length);
    }
    append_case(s, text, r.upper);
}

// Appends a number. Its digits are padded to the conversion's own width, with its own
// padding, unless "-" drops that, "_" makes it blanks or "0" zeros; the whole is then
// padded to the requested width, with zeros under "0" or where zeros are the
// conversion's own padding, else with blanks. A sign always comes first, before any zero.
// With "+" (a year or century: `natural`, the bytes that hold one, is 4 or 2) the digits take zeros to the
// width, and a sign leads when the number needs more than `natural` bytes or the width does.
void append_number(sink &s, long long number, unsigned char natural_width, char natural_pad, const request &r,
                   size_t natural) noexcept {
    unsigned long long magnitude =
        number < 0 ? 0ULL - static_cast<unsigned long long>(number) : static_cast<unsigned long long>(number);
    scratch buffer;
    char *const end = buffer.bytes + scratch_size;
    char *first = end;
    do {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    const size_t digits = static_cast<size_t>(end - first);
    char sign = number < 0 ? '-' : '\0';
    size_t zeros = 0;
    size_t blanks = 0;
    if (r.plus) {
        const size_t width = r.width != 0 ? r.width : natural;
        if (sign == '\0' && (digits > natural || width > natural)) {
            sign = '+';
        }
        const size_t taken = digits + (sign != '\0' ? 1 : 0);
        zeros = width > taken ? width - taken : 0;
    } else {
        const char own = r.pad == '\0' ? natural_pad : r.pad == '-' ? '\0' : r.pad == '_' ? ' ' : '0';
        const size_t padded = own != '\0' && natural_width > digits ? natural_width - digits : 0;
        (own == '0' ? zeros : blanks) = padded;
        const size_t taken = digits + padded + (sign != '\0' ? 1 : 0);
        if (r.width > taken) {
            const bool with_zeros = r.pad == '0' || (r.pad == '\0' && natural_pad == '0');
            (with_zeros ? zeros : blanks) += r.width - taken;
        }
    }
    append_fill(s, ' ', blanks);
    if (sign != '\0') {
        append(s, &sign, 1);
    }
    append_fill(s, '0', zeros);
    append(s, first, digits);
}

void expand(sink &s, const char *format, bool force_alt, const instant &in) noexcept;

// Expands a composite conversion. With no width and no "^" it goes straight to the line;
// otherwise it is made aside (at most some 60 bytes: well below the room there), then
// padded and cased as a text. "-", "_" and "0" do not reach inside. "%F" with "+", or
// with "0" and a width, gives its year the width less the six bytes of "-mm-dd".
void expand_composite(sink &s, char conversion, const composite &whole, const request &r,
                      const instant &in) noexcept {
    if (r.width == 0 && !r.upper && !r.plus) {
        expand(s, whole.form, whole.pass_alt, in);
        return;
    }
    if (conversion == 'F' && (r.plus || (r.pad == '0' && r.width != 0))) {
        // Digits and signs only: no case to change. Straight to the line, as the year may
        // take any width.
        constexpr size_t month_and_day = 6;
        const request year{r.plus ? '\0' : '0',
                           false,
                           false,
                           r.plus,
                           false,
                           r.width > month_and_day ? r.width - month_and_day : 0};
        append_number(s, full_year(in.t), 1, '0', year, 4);
        expand(s, "-%m-%d", false, in);
        return;
    }
    char bytes[128];
    sink aside{bytes, sizeof bytes, 0, false};
    expand(aside, whole.form, whole.pass_alt, in);
    append_text(s, {bytes, aside.length}, r);
}

// Reads the flags and the width of a sequence into `r`, `p` just after its "%". A second
// "#" ends them, and the sequence is then copied as typed (no conversion is "#").
void read_request(const char *&p, request &r) noexcept {
    bool hash = false;
    for (;; ++p) {
        switch (*p) {
        case '-':
        case '_':
        case '0':
            r.pad = *p;
            r.flagged = true;
            continue;
        case '#':
            if (hash) {
                return;
            }
            hash = true;
            r.alt = true;
            r.pad = '-';
            r.flagged = true;
            continue;
        case '^':
            r.upper = true;
            r.flagged = true;
            continue;
        case '+':
            r.plus = true;
            continue;
        default:
            break;
        }
        break;
    }
    // No overflow: past `widest` the width stays there.
    for (; *p >= '0' && *p <= '9'; ++p) {
        r.width = r.width * 10 + static_cast<size_t>(*p - '0');
        if (r.width > widest) {
            r.width = widest;
        }
    }
}

// "+" is a year's and a century's, with a width and E at most beside it.
bool plus_allowed(char modifier, char conversion, const request &r) noexcept {
    return !r.flagged && modifier != 'O' &&
           (conversion == 'C' || conversion == 'F' || conversion == 'G' || conversion == 'Y');
}

// A simple conversion with no flag and no width: as it renders. Returns false when the
// conversion is not one of ours (nothing is appended then).
bool plain_simple(sink &s, char conversion, const instant &in) noexcept {
    scratch buffer;
    value v; // set by render_simple where it returns true
    if (!render_simple(conversion, in, buffer, v)) {
        return false;
    }
    append(s, v.text.text, v.text.length);
    return true;
}

// Scanner: literal runs are copied, each "%" [flags] [width] [E|O] <conversion> is
// rendered, and a sequence that is not ours (including a "%" with nothing after it) is
// copied as typed, without padding. `force_alt` carries a composite's "#" into the
// numeric fields inside it. Once the text has been cut nothing more can be written, so
// the scan stops there.
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
        // Most sequences are a conversion alone: they take the short way. (No flag, width or
        // modifier is a simple conversion.)
        if (!force_alt) {
            if (plain_simple(s, *p, in)) {
                ++p;
                continue;
            }
            const composite whole = composite_of(*p, false);
            if (whole.form != nullptr) {
                ++p;
                expand(s, whole.form, whole.pass_alt, in);
                continue;
            }
        }
        request r{force_alt ? '-' : '\0', false, force_alt, false, false, 0};
        read_request(p, r);
        char modifier = '\0';
        if (*p == 'E' || *p == 'O') {
            modifier = *p++;
        }
        const char conversion = *p;
        if (conversion != '\0') {
            ++p;
        }
        // ('\0', the end of the format, is no conversion of ours either.)
        if (!modifier_allows(modifier, conversion) || (r.plus && !plus_allowed(modifier, conversion, r))) {
            append(s, sequence, static_cast<size_t>(p - sequence));
            continue;
        }
        const composite whole = composite_of(conversion, r.alt);
        if (whole.form != nullptr) {
            expand_composite(s, conversion, whole, r, in);
            continue;
        }
        scratch buffer;
        value v; // set by render_simple where it returns true
        if (!render_simple(conversion, in, buffer, v)) {
            append(s, sequence, static_cast<size_t>(p - sequence));
        } else if (r.pad == '\0' && r.width == 0 && !r.upper && !r.plus) {
            append(s, v.text.text, v.text.length); // as rendered
        } else if (v.numeric) {
            append_number(s, v.number, v.natural_width, v.natural_pad, r, conversion == 'C' ? 2 : 4);
        } else {
            if (v.keeps_case) {
                r.upper = false;
            }
            append_text(s, v.text, r);
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
