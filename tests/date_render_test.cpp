// SPDX-License-Identifier: MIT
// The renderers at fixed instants in fixed zones: TZ set in this process, then tzset.

#include "date_render.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

void set_zone(const char *tz) {
#if defined(_WIN32)
    _putenv_s("TZ", tz);
    _tzset();
#else
    setenv("TZ", tz, 1);
    tzset();
#endif
}

constexpr std::time_t example = 795184889;          // 1995-03-14 12:41:29 UTC, a Tuesday
constexpr std::time_t summer = 805000000;           // 1995-07-06 03:06:40 UTC
constexpr std::time_t southern_summer = 1768435200; // 2026-01-15 00:00:00 UTC

std::string render(const char *tz, std::time_t now, const char *format) {
    set_zone(tz);
    char line_buffer[line_buffer_size];
    const bool ok =
        format == nullptr ? render_default(now, line_buffer) : render_format(now, format, line_buffer);
    EXPECT_TRUE(ok) << tz << " " << now;
    return ok ? std::string(line_buffer) : std::string();
}

struct zone_row {
    const char *tz;
    std::time_t now;
    const char *format;
    const char *expected;
};

#if defined(_WIN32)
// The Windows runtime knows only zones of the form STD offset [DST], and its 64-bit clock
// covers 1970 to 3001-01-01 07:59:59 UTC.
const zone_row zone_rows[] = {
    {"UTC0", example, "%F %T", "1995-03-14 12:41:29"},
    {"EST5EDT", example, "%F %T", "1995-03-14 07:41:29"},
    {"EST5EDT", summer, "%F %T", "1995-07-05 23:06:40"},
    {"UTC0", 2147483648, "%c", "Tue Jan 19 03:14:08 2038"},
    {"UTC0", 32503680000, "%c", "Wed Jan  1 00:00:00 3000"},
};

// The zone name is the runtime's own, for standard and for daylight-saving time alike.
TEST(date_render, zone_name_comes_from_the_runtime) {
    const std::string winter_names = render("EST5EDT", example, "%Z|%z");
    EXPECT_EQ(winter_names, std::string(_tzname[0]) + "|" + _tzname[0]);
    const std::string summer_name = render("EST5EDT", summer, "%Z");
    EXPECT_EQ(summer_name, _tzname[1]);
    EXPECT_STRNE(_tzname[0], _tzname[1]);
}

TEST(date_render, outside_the_runtime_clock_there_is_no_local_time) {
    set_zone("UTC0");
    char line_buffer[line_buffer_size] = "untouched";
    EXPECT_FALSE(render_format(-1, "%Y", line_buffer));
    EXPECT_FALSE(render_format(32536850400, "%Y", line_buffer));
    EXPECT_STREQ(line_buffer, "untouched");
}
#else
const zone_row zone_rows[] = {
    {"UTC", example, "%F %T %Z", "1995-03-14 12:41:29 UTC"},
    {"America/New_York", example, "%F %T %Z %z", "1995-03-14 07:41:29 EST EST"},
    {"America/New_York", summer, "%F %T %Z", "1995-07-05 23:06:40 EDT"},
    {"Asia/Kolkata", example, "%F %T %Z", "1995-03-14 18:11:29 IST"},
    {"Australia/Lord_Howe", example, "%F %T %Z", "1995-03-14 23:11:29 +1030"},
    {"Australia/Lord_Howe", southern_summer, "%F %T %Z", "2026-01-15 11:00:00 +11"},
    {"Australia/Lord_Howe", summer, "%F %T %Z", "1995-07-06 13:36:40 +1030"},
    {"UTC", -1, "%F %T %s", "1969-12-31 23:59:59 -1"},
    {"UTC", -5364662400, "%c", "Wed Jan  1 00:00:00 1800"},
    {"UTC", 253402300800, "%c", "Sat Jan  1 00:00:00 10000"},
};
#endif

TEST(date_render, format_in_zones) {
    for (const zone_row &r : zone_rows) {
        EXPECT_EQ(render(r.tz, r.now, r.format), r.expected) << r.tz << " " << r.now << " " << r.format;
    }
}

TEST(date_render, default_line_keeps_its_newline) {
    EXPECT_EQ(render(zone_rows[0].tz, example, nullptr), "Tue Mar 14 12:41:29 1995\n");
    EXPECT_EQ(render(zone_rows[0].tz, 794394425, nullptr), "Sun Mar  5 09:07:05 1995\n");
}

TEST(date_render, seconds_do_not_depend_on_the_zone) {
    EXPECT_EQ(render(zone_rows[1].tz, example, "%s"), "795184889");
}

TEST(date_render, expansion_is_cut_at_248_and_the_last_byte_never_written) {
    set_zone(zone_rows[0].tz);
    char line_buffer[line_buffer_size];
    std::memset(line_buffer, '#', sizeof line_buffer);
    const std::string format(300, 'x');
    ASSERT_TRUE(render_format(example, format.c_str(), line_buffer));
    EXPECT_EQ(std::strlen(line_buffer), 248U);
    EXPECT_EQ(line_buffer[line_buffer_size - 1], '#');
}

TEST(date_render, no_local_time_leaves_the_buffer_alone) {
    set_zone(zone_rows[0].tz);
    // Beyond any year the broken-down time holds (and, on Windows, beyond 3001).
    const std::time_t beyond = LLONG_MAX;
    char line_buffer[line_buffer_size] = "untouched";
    EXPECT_FALSE(render_format(beyond, "%Y", line_buffer));
    EXPECT_FALSE(render_default(beyond, line_buffer));
    EXPECT_STREQ(line_buffer, "untouched");
}

} // namespace
