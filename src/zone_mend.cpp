// SPDX-License-Identifier: MIT
#include "zone_mend.h"

namespace {

constexpr size_t name_max = 255;             // NAME_MAX: the longest name musl looks up in its folders
constexpr size_t kept_name = 6;              // musl keeps this many bytes of a zone name
constexpr unsigned long long last_day = 365; // the last day a J or zero-based rule can name

// musl's zone folders, in the order it looks in them.
constexpr char zone_folders[3][sizeof "/usr/share/zoneinfo/"] = {"/usr/share/zoneinfo/", "/share/zoneinfo/",
                                                                 "/etc/zoneinfo/"};

bool is_letter(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_digit(char c) noexcept {
    return c >= '0' && c <= '9';
}

bool is_sign(char c) noexcept {
    return c == '+' || c == '-';
}

bool is_space(char c) noexcept {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A number as glibc's sscanf reads "%hu": blanks, a sign, decimal digits; "-" negates, a
// number past 64 bits is 2^64 - 1, and the result keeps its low 16 bits. Without a digit
// it returns false and leaves `p` alone. Where `plain` is given, it is cleared unless the
// number was digits only.
bool scan_short(const char *&p, unsigned &value, bool *plain) noexcept {
    const char *q = p;
    while (is_space(*q)) {
        ++q;
    }
    const bool negative = *q == '-';
    q += is_sign(*q) ? 1 : 0;
    if (!is_digit(*q)) {
        return false;
    }
    if (plain != nullptr) {
        *plain = *plain && q == p;
    }
    unsigned long long number = 0;
    bool over = false;
    for (; is_digit(*q); ++q) {
        const unsigned digit = static_cast<unsigned>(*q - '0');
        over = over || number > (~0ULL - digit) / 10;
        number = number * 10 + digit;
    }
    value = over ? 0xFFFFU : static_cast<unsigned>((negative ? 0ULL - number : number) & 0xFFFFU);
    p = q;
    return true;
}

// glibc's "%hu%n:%hu%n:%hu%n": hours, then minutes and seconds each after a ":", as far as
// they read (once one fails to read, the next fails at the same place). Returns false,
// reading nothing, when there are no hours.
bool scan_time(const char *&p, unsigned (&parts)[3], bool *plain) noexcept {
    if (!scan_short(p, parts[0], plain)) {
        return false;
    }
    for (int i = 1; i < 3 && *p == ':'; ++i) {
        const char *q = p + 1;
        if (scan_short(q, parts[i], plain)) {
            p = q;
        }
    }
    return true;
}

unsigned at_most(unsigned value, unsigned most) noexcept {
    return value < most ? value : most;
}

struct name {
    const char *text;
    size_t length;
};

// When a daylight time starts or ends, as glibc holds it: 'J' a day 1-365 that never
// counts 29 February, 'D' a day 0-365, or 'M' day d of week n of month m; then `secs`
// after midnight, local time. glibc keeps what it read of a malformed rule, zeros for the
// rest: so must this.
struct rule {
    char type;
    unsigned m, n, d;
    long secs;
};

struct reading {
    name standard;
    long standard_offset; // seconds east of UTC
    bool daylight_part;   // something followed the standard offset
    name daylight;
    long daylight_offset;
    rule to_daylight, to_standard;
    bool no_rules;  // a daylight name and nothing after it but perhaps a ","
    bool in_bounds; // every offset is digits within POSIX's bounds
};

// A zone name: three letters or more, or three or more letters, digits, "+" and "-"
// between "<" and ">".
bool read_name(const char *&p, name &out) noexcept {
    const char *q = p;
    while (is_letter(*q)) {
        ++q;
    }
    if (q - p >= 3) {
        out = {p, static_cast<size_t>(q - p)};
        p = q;
        return true;
    }
    if (*p != '<') {
        return false;
    }
    const char *const start = p + 1;
    for (q = start; is_letter(*q) || is_digit(*q) || is_sign(*q); ++q) {
    }
    if (*q != '>' || q - start < 3) {
        return false;
    }
    out = {start, static_cast<size_t>(q - start)};
    p = q + 1;
    return true;
}

// An offset: a sign, then hours (at most 24 count), minutes and seconds (at most 59), into
// `offset`, in seconds east of UTC. Returns false, leaving `offset` and `in_bounds` alone,
// when no hours follow the sign; the sign is passed over all the same.
bool read_offset(const char *&p, long &offset, bool &in_bounds) noexcept {
    const long sign = *p == '-' ? 1 : -1;
    p += is_sign(*p) ? 1 : 0;
    unsigned parts[3] = {};
    bool plain = true;
    if (!scan_time(p, parts, &plain)) {
        return false;
    }
    in_bounds = in_bounds && plain && parts[0] <= 24 && parts[1] <= 59 && parts[2] <= 59;
    offset = sign * static_cast<long>(at_most(parts[0], 24) * 3600 + at_most(parts[1], 59) * 60 +
                                      at_most(parts[2], 59));
    return true;
}

// glibc's rules where a value has none after its daylight name (the second Sunday of March
// and the first of November), when it has no file of rules to take them from.
constexpr rule default_rules[2] = {{'M', 3, 2, 0, 0}, {'M', 11, 1, 0, 0}};

// One rule after an optional ",". `second` tells which: an empty rule is M3.2.0 for the
// first, M11.1.0 for the second. Returns false on a malformed one, keeping in `out` what
// was read of it.
bool read_rule(const char *&p, bool second, rule &out) noexcept {
    const char *q = p + (*p == ',' ? 1 : 0);
    if (*q == 'J' || is_digit(*q)) {
        // Digits after the J (J alone is day 0, which J cannot name).
        out.type = *q == 'J' ? 'J' : 'D';
        q += out.type == 'J' ? 1 : 0;
        unsigned long long day = 0;
        for (; is_digit(*q); ++q) {
            day = day > last_day ? day : day * 10 + static_cast<unsigned>(*q - '0');
        }
        if (day > last_day || (out.type == 'J' && day == 0)) {
            return false;
        }
        out.d = static_cast<unsigned>(day);
    } else if (*q == 'M') {
        out.type = 'M';
        ++q;
        if (!scan_short(q, out.m, nullptr) || *q++ != '.' || !scan_short(q, out.n, nullptr) || *q++ != '.' ||
            !scan_short(q, out.d, nullptr) || out.m < 1 || out.m > 12 || out.n < 1 || out.n > 5 ||
            out.d > 6) {
            return false;
        }
    } else if (*q == '\0') {
        out = default_rules[second ? 1 : 0];
    } else {
        return false;
    }
    if (*q != '\0' && *q != '/' && *q != ',') {
        return false;
    }
    out.secs = 7200;
    if (*q == '/') {
        ++q;
        if (*q == '\0') {
            out.secs = 0;
            return false;
        }
        const bool negative = *q == '-';
        q += negative ? 1 : 0;
        unsigned parts[3] = {2, 0, 0};
        scan_time(q, parts, nullptr);
        // At most 65535 hours, minutes and seconds: within 32 bits.
        const unsigned total = parts[0] * 3600 + parts[1] * 60 + parts[2];
        const long secs = static_cast<long>(total);
        out.secs = negative ? -secs : secs;
    }
    p = q;
    return true;
}

// glibc's reading of a POSIX value: nothing it cannot read is UTC with no name.
reading read_posix(const char *p) noexcept {
    reading r{{"", 0}, 0, false, {"", 0}, 0, {'D', 0, 0, 0, 0}, {'D', 0, 0, 0, 0}, false, true};
    // The standard offset starts with a sign or a digit.
    if (!read_name(p, r.standard) || !(is_sign(*p) || is_digit(*p)) ||
        !read_offset(p, r.standard_offset, r.in_bounds) || *p == '\0') {
        return r;
    }
    r.daylight_part = true;
    if (read_name(p, r.daylight)) {
        // Without hours, daylight time is an hour ahead of standard time; a sign with no
        // hours after it is not POSIX's.
        const bool sign = is_sign(*p);
        if (!read_offset(p, r.daylight_offset, r.in_bounds)) {
            r.daylight_offset = r.standard_offset + 3600;
            r.in_bounds = r.in_bounds && !sign;
        }
        r.no_rules = *p == '\0' || (p[0] == ',' && p[1] == '\0');
    }
    if (read_rule(p, false, r.to_daylight)) {
        read_rule(p, true, r.to_standard);
    }
    return r;
}

// The text written so far into the caller's buffer. Nothing written is longer than the
// buffer: the callers' inputs are bounded (a path, or short names, numbers and rules).
struct writer {
    char *out;
    size_t length;

    void text(const char *p, size_t n) noexcept {
        for (size_t i = 0; i < n; ++i) {
            out[length++] = p[i];
        }
    }
    void text(const char *p) noexcept {
        while (*p != '\0') {
            out[length++] = *p++;
        }
    }
    void number(unsigned long value) noexcept {
        unsigned long power = 1; // of ten, as high as value's first digit
        while (power <= value / 10) {
            power *= 10;
        }
        for (; power > 0; power /= 10) {
            out[length++] = static_cast<char>('0' + value / power % 10);
        }
    }
    // A time as musl reads it: a sign, hours, minutes, seconds. (Every time read is within
    // a few hundred million seconds, so its magnitude is a long.)
    void time(long seconds) noexcept {
        if (seconds < 0) {
            text("-");
            seconds = -seconds;
        }
        const auto magnitude = static_cast<unsigned long>(seconds);
        number(magnitude / 3600);
        text(":");
        number(magnitude / 60 % 60);
        text(":");
        number(magnitude % 60);
    }
    void zone(name n, long offset_east) noexcept {
        text("<");
        text(n.text, n.length < kept_name ? n.length : kept_name);
        text(">");
        time(-offset_east);
    }
    // A rule as musl reads it to the same instants. musl counts week n of a month from 1
    // to 5; glibc takes 0 as the first week and beyond 5 as the last, as it does 5.
    // A month outside 1 to 12 (glibc reads its dates outside its own tables, and musl
    // would read outside its) is taken as 1 January. (Such months, and days above 6, are
    // left of a rule glibc found malformed.)
    void change(const rule &r) noexcept {
        text(",");
        if (r.type == 'M' && r.m >= 1 && r.m <= 12) {
            const unsigned week = r.n == 0 ? 1 : at_most(r.n, 5);
            text("M");
            number(r.m);
            text(".");
            number(week);
            text(".");
            number(r.d);
        } else if (r.type == 'M') {
            text("0");
        } else {
            if (r.type == 'J') {
                text("J");
            }
            number(r.d);
        }
        text("/");
        time(r.secs);
    }
    size_t finish() noexcept {
        out[length] = '\0';
        return length;
    }
};

// What musl makes of `r`, written out. Where there is a daylight part the roles are
// written swapped: glibc's daylight time as musl's standard time, glibc's standard time as
// musl's daylight time, each rule read at the offset it was written for. Either way round
// glibc and musl change at the same two instants; but where the two fall together, glibc
// never leaves standard time and musl never leaves daylight time, so only this way round
// do they agree on every value. (And musl can have no daylight time without a name, which
// glibc's is where it cannot read one.) Nothing of the program reads tm_isdst but %Z's
// check for a known zone, which either way round holds.
size_t write_reading(const reading &r, writer &w) noexcept {
    // No daylight part, or a value that POSIX does not allow and that has no rules, which
    // gets none: standard time all year.
    if (!r.daylight_part || (r.no_rules && !r.in_bounds)) {
        w.zone(r.standard, r.standard_offset);
    } else {
        w.zone(r.daylight, r.daylight_offset);
        w.zone(r.standard, r.standard_offset);
        w.change(r.to_standard);
        w.change(r.to_daylight);
    }
    return w.finish();
}

// Whether musl reads `value` as a POSIX value without looking for a file: a name (letters,
// or anything up to ">") followed by a sign or a digit, or the name UTC or GMT.
bool musl_posix_form(const char *value) noexcept {
    const char *p = value;
    size_t length = 0;
    if (*p == '<') {
        for (++p; *p != '\0' && *p != '>'; ++p) {
            ++length;
        }
        if (*p == '>') {
            ++p;
        }
    } else {
        for (; is_letter(*p); ++p) {
            ++length;
        }
    }
    const char *const text = value + (*value == '<' ? 1 : 0);
    const bool utc_or_gmt = length == 3 && ((text[0] == 'U' && text[1] == 'T' && text[2] == 'C') ||
                                            (text[0] == 'G' && text[1] == 'M' && text[2] == 'T'));
    return p != value && (is_sign(*p) || is_digit(*p) || utc_or_gmt);
}

} // namespace

// (`out` is written through a writer, which the check for a parameter that could be const
// does not follow.)
size_t mend_zone_value(const char *value, zone_file_kind kind,
                       char *out) noexcept { // NOLINT(readability-non-const-parameter)
    if (value == nullptr || *value == '\0') {
        return 0; // the local zone, or UTC: read alike
    }
    size_t length = 0;
    bool has_dot = false;
    for (; value[length] != '\0'; ++length) {
        if (length == zone_value_max) {
            return 0;
        }
        has_dot = has_dot || value[length] == '.';
    }
    const char *const name_part = value + (*value == ':' ? 1 : 0);
    const size_t name_length = length - static_cast<size_t>(name_part - value);
    writer w{out, 0};
    if (name_length == 0) {
        // glibc takes ":" for the local zone; musl for no zone at all.
        w.text(":/etc/localtime");
        return w.finish();
    }
    // The zone file first, as glibc looks for one before anything else.
    if (*name_part == '/') {
        if (kind(name_part) == zone_file::zone) {
            return 0; // musl reads such a path itself
        }
    } else if (name_length <= name_max) {
        char path[sizeof *zone_folders + name_max];
        for (const char *folder : zone_folders) {
            writer p{path, 0};
            p.text(folder);
            p.text(name_part, name_length);
            p.finish();
            const zone_file found = kind(path);
            if (found == zone_file::none) {
                continue;
            }
            if (found == zone_file::zone) {
                // musl finds it itself where it looks for a file at all.
                if ((*value == ':' || !musl_posix_form(value)) && !has_dot) {
                    return 0;
                }
                w.text(":");
                w.text(path, p.length);
                return w.finish();
            }
            break;
        }
    }
    return write_reading(read_posix(name_part), w);
}
