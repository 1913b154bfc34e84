// SPDX-License-Identifier: MIT
// The conversion engine, row by row: {format, instant, zone, expected}. Every row also runs
// with text on both sides, so a conversion that eats or leaks a neighbouring byte shows.

#include "format_engine.h"
#include "sequences.h"
#include "test_time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

struct row {
    const char *format;
    civil when;
    const char *zone;
    const char *expected;
    int isdst = 0;
};

constexpr civil example{1995, 3, 14, 12, 41, 29}; // a Tuesday
constexpr civil fifth{1995, 3, 5, 9, 7, 5};       // a Sunday
constexpr civil midnight{2026, 12, 8, 0, 0, 0};
constexpr civil noon{2026, 12, 8, 12, 0, 0};

std::string expand(const std::string &format, const std::tm &t, long long seconds, const char *zone) {
    char out[1024];
    const format_result r = format_time(out, sizeof out, format.c_str(), t, seconds, zone);
    EXPECT_TRUE(r.fitted) << format;
    EXPECT_EQ(r.length, std::strlen(out)) << format;
    return std::string(out, r.length);
}

void check_rows(const std::vector<row> &rows) {
    for (const row &r : rows) {
        const std::tm t = make_tm(r.when, r.isdst);
        const long long seconds = epoch_seconds(r.when);
        EXPECT_EQ(expand(r.format, t, seconds, r.zone), r.expected) << "format " << r.format;
        EXPECT_EQ(expand(std::string("<") + r.format + ">", t, seconds, r.zone),
                  std::string("<") + r.expected + ">")
            << "format " << r.format << " inside text";
    }
}

TEST(format_engine, listed_sequences) {
    check_rows({
        {"%a", example, "EST", "Tue"},
        {"%A", example, "EST", "Tuesday"},
        {"%b", example, "EST", "Mar"},
        {"%B", example, "EST", "March"},
        {"%c", example, "EST", "Tue Mar 14 12:41:29 1995"},
        {"%c", fifth, "EST", "Sun Mar  5 09:07:05 1995"},
        {"%d", example, "EST", "14"},
        {"%d", fifth, "EST", "05"},
        {"%H", fifth, "EST", "09"},
        {"%I", example, "EST", "12"},
        {"%j", example, "EST", "073"},
        {"%m", example, "EST", "03"},
        {"%M", fifth, "EST", "07"},
        {"%p", example, "EST", "PM"},
        {"%S", fifth, "EST", "05"},
        {"%U", example, "EST", "11"},
        {"%w", example, "EST", "2"},
        {"%W", example, "EST", "11"},
        {"%x", example, "EST", "03/14/95"},
        {"%X", example, "EST", "12:41:29"},
        {"%y", example, "EST", "95"},
        {"%Y", example, "EST", "1995"},
        {"%z", example, "EST", "EST"},
        {"%Z", example, "EST", "EST"},
        {"%%", example, "EST", "%"},
        {"%Y-%m-%d", example, "EST", "1995-03-14"},
    });
}

TEST(format_engine, alt_flag_on_listed_sequences) {
    check_rows({
        // "#" is ignored on these.
        {"%#a", example, "EST", "Tue"},
        {"%#A", example, "EST", "Tuesday"},
        {"%#b", example, "EST", "Mar"},
        {"%#B", example, "EST", "March"},
        {"%#p", fifth, "EST", "AM"},
        {"%#X", fifth, "EST", "09:07:05"},
        {"%#z", example, "IST", "IST"},
        {"%#Z", example, "IST", "IST"},
        {"%#%", example, "EST", "%"},
        // The long forms.
        {"%#c", example, "EST", "Tuesday, March 14, 1995, 12:41:29"},
        {"%#c", fifth, "EST", "Sunday, March 5, 1995, 09:07:05"},
        {"%#x", example, "EST", "Tuesday, March 14, 1995"},
        {"%#x", fifth, "EST", "Sunday, March 5, 1995"},
        // Leading zeros removed.
        {"%#d", fifth, "EST", "5"},
        {"%#H", fifth, "EST", "9"},
        {"%#I", fifth, "EST", "9"},
        {"%#j", fifth, "EST", "64"},
        {"%#j", {1995, 1, 5, 0, 0, 0}, "EST", "5"},
        {"%#m", fifth, "EST", "3"},
        {"%#M", fifth, "EST", "7"},
        {"%#S", fifth, "EST", "5"},
        {"%#U", {1995, 1, 10, 0, 0, 0}, "EST", "2"},
        {"%#w", fifth, "EST", "0"},
        {"%#W", fifth, "EST", "9"},
        {"%#y", {2005, 6, 1, 0, 0, 0}, "EST", "5"},
        {"%#Y", example, "EST", "1995"},
        {"%#d", example, "EST", "14"},
        // A value of all zeros keeps one zero.
        {"%#H:%#M:%#S", midnight, "UTC", "0:0:0"},
        {"%#y", {2000, 1, 1, 0, 0, 0}, "UTC", "0"},
        {"%#U %#W", {2026, 1, 1, 0, 0, 0}, "UTC", "0 0"},
    });
}

TEST(format_engine, twelve_hour_clock) {
    check_rows({
        {"%I %p", midnight, "UTC", "12 AM"},
        {"%I %p", {2026, 12, 8, 0, 59, 59}, "UTC", "12 AM"},
        {"%I %p", {2026, 12, 8, 1, 0, 0}, "UTC", "01 AM"},
        {"%I %p", {2026, 12, 8, 11, 59, 59}, "UTC", "11 AM"},
        {"%I %p", noon, "UTC", "12 PM"},
        {"%I %p", {2026, 12, 8, 13, 0, 0}, "UTC", "01 PM"},
        {"%I %p", {2026, 12, 8, 23, 59, 59}, "UTC", "11 PM"},
        {"%r", {2026, 12, 8, 23, 5, 9}, "UTC", "11:05:09 PM"},
        {"%#r", {2026, 12, 8, 23, 5, 9}, "UTC", "11:5:9 PM"},
        {"%#I", midnight, "UTC", "12"},
    });
}

TEST(format_engine, extra_sequences) {
    check_rows({
        {"%C", example, "EST", "19"},
        {"%D", example, "EST", "03/14/95"},
        {"%e", example, "EST", "14"},
        {"%e", fifth, "EST", " 5"},
        {"%F", example, "EST", "1995-03-14"},
        {"%g %G %V", example, "EST", "95 1995 11"},
        {"%h", example, "EST", "Mar"},
        {"a%nb", example, "EST", "a\nb"},
        {"%R", fifth, "EST", "09:07"},
        {"%s", example, "EST", "795184889"},
        {"%s", {1969, 12, 31, 23, 59, 59}, "UTC", "-1"},
        {"%s", {1901, 12, 13, 20, 45, 52}, "UTC", "-2147483648"},
        {"a%tb", example, "EST", "a\tb"},
        {"%T", fifth, "EST", "09:07:05"},
        {"%u", example, "EST", "2"},
        {"%u", fifth, "EST", "7"},
        // "#" on the extras: numbers lose their padding, composites pass it to their fields.
        {"%#C", {2005, 1, 1, 0, 0, 0}, "EST", "20"},
        {"%#C", {999, 1, 1, 0, 0, 0}, "EST", "9"},
        {"%#e", fifth, "EST", "5"},
        {"%#D", fifth, "EST", "3/5/95"},
        {"%#F", fifth, "EST", "1995-3-5"},
        {"%#R", fifth, "EST", "9:7"},
        {"%#T", fifth, "EST", "9:7:5"},
        {"%#V %#g", {2005, 1, 5, 0, 0, 0}, "EST", "1 5"},
        {"%#G %#u %#s %#h", fifth, "EST", "1995 7 794394425 Mar"},
        {"%#n%#t", fifth, "EST", "\n\t"},
    });
}

TEST(format_engine, e_and_o_modifiers_change_nothing) {
    check_rows({
        {"%Ec|%EC|%Ex|%EX|%Ey|%EY", example, "EST", "Tue Mar 14 12:41:29 1995|19|03/14/95|12:41:29|95|1995"},
        {"%Od|%Oe|%OH|%OI|%Om|%OM|%OS", fifth, "EST", "05| 5|09|09|03|07|05"},
        {"%Ou|%OU|%OV|%Ow|%OW|%Oy", fifth, "EST", "7|10|09|0|09|95"},
        {"%#Od %#OH %#Ey", fifth, "EST", "5 9 95"},
        // Where C99 does not allow them the sequence is not ours and stays as typed.
        {"%Ea %Od %OY %Ez %E%", fifth, "EST", "%Ea 05 %OY %Ez %E%"},
    });
    // Every byte after each modifier: the conversions of the table's last column expand as
    // without it, every other one is copied as typed.
    const std::tm t = make_tm(fifth);
    for (const auto &[modifier, allowed] : {std::pair<char, const char *>{'E', TSTAMP_E_CONVERSIONS},
                                            std::pair<char, const char *>{'O', TSTAMP_O_CONVERSIONS}}) {
        for (int byte = 1; byte < 256; ++byte) {
            const char c = static_cast<char>(byte);
            const std::string with = std::string("%") + modifier + c;
            const bool listed = std::strchr(allowed, c) != nullptr;
            EXPECT_EQ(expand(with, t, 0, "EST"), listed ? expand(std::string("%") + c, t, 0, "EST") : with)
                << "byte " << byte << " after " << modifier;
        }
    }
}

TEST(format_engine, unknown_sequences_are_copied_as_typed) {
    check_rows({
        {"%q", example, "EST", "%q"},
        {"%#q", example, "EST", "%#q"},
        {"%+ %Ez %Ok %EP %5q %+5d %+-5Y %+^Y %+_C %+#F %+OY %+s", example, "EST",
         "%+ %Ez %Ok %EP %5q %+5d %+-5Y %+^Y %+_C %+#F %+OY %+s"},
        {"%5", example, "EST", "%5"},
        {"%-", example, "EST", "%-"},
        {"%^#", example, "EST", "%^#"},
        {"%_##d", example, "EST", "%_##d"},
        {"%##d", example, "EST", "%##d"},
        {"100%", example, "EST", "100%"},
        {"100%#", example, "EST", "100%#"},
        {"%E", example, "EST", "%E"},
        {"%#O", example, "EST", "%#O"},
        {"%\x01%\xff", example, "EST", "%\x01%\xff"},
    });
}

constexpr civil year_minus_one{-1, 3, 5, 0, 0, 0};
constexpr civil second_before_epoch{1969, 12, 31, 23, 59, 59};
constexpr civil new_year_2016{2016, 1, 3, 0, 0, 0}; // in ISO week-based year 2015

TEST(format_engine, flags_and_widths) {
    check_rows({
        // Once copied as typed, now the sequences people write for strftime.
        {"%k %l %P %+ %5Y %-d %_d %^a", example, "EST", "12 12 pm %+ 01995 14 14 TUE"},
        {"%-H:%-M %-m/%-d", fifth, "EST", "9:7 3/5"},
        {"%k|%l|%P|%0k|%0l|%-k|%_H|%0e", fifth, "EST", " 9| 9|am|09|09|9| 9|05"},
        {"%l %P", midnight, "UTC", "12 am"},
        // The last of "-", "_" and "0" wins; repeated, they are taken.
        {"%_-d|%-_d|%-0d|%0_d|%--d|%__e", fifth, "EST", "5| 5|05| 5|5| 5"},
        // A width pads to at least that many bytes and never cuts.
        {"%1d|%5d|%10Y|%5e|%5j|%5u|%3C", fifth, "EST", "05|00005|0000001995|    5|00064|00007|019"},
        {"%10A|%5a|%12F|%15s|%12T|%12c", fifth, "UTC",
         "    Sunday|  Sun|  1995-03-05|      794394425|    09:07:05|Sun Mar  5 09:07:05 1995"},
        {"%-5d|%_5d|%05e|%0_5d|%5%|%5n|%5Z", fifth, "EST", "    5|    5|00005|    5|    %|    \n|  EST"},
        {"%010A|%05%|%_010a|%010T|%015s", fifth, "UTC",
         "0000Sunday|0000%|0000000Sun|0009:07:05|000000794394425"},
        // "-", "_" and "0" do not reach inside a composite; "^" upper-cases all of it.
        {"%-D|%_T|%0R|%^c|%^x|%^P|%^p|%^B|%^5b", fifth, "EST",
         "03/05/95|09:07:05|09:07|SUN MAR  5 09:07:05 1995|03/05/95|am|AM|MARCH|  MAR"},
        // "#" stands anywhere among the flags, counts as "-", and keeps its own meaning.
        {"%#_d|%_#d|%#5d|%^#a|%#^c|%-#D|%#0F|%E#Y", fifth, "EST",
         " 5|5|    5|SUN|SUNDAY, MARCH 5, 1995, 09:07:05|3/5/95|1995-3-5|%E#Y"},
        // Signs come first, before zeros; blanks come before the sign.
        {"%012F|%05Y|%_5Y|%5G|%-5C", year_minus_one, "UTC", "-00001-03-05|-0001|   -1|-0001|   -1"},
        {"%010s|%_10s|%-3s", second_before_epoch, "UTC", "-000000001|        -1| -1"},
        // E and O still change nothing, after flags and a width too.
        {"%-Od|%_5EY|%^Ec", fifth, "EST", "5| 1995|SUN MAR  5 09:07:05 1995"},
    });
}

TEST(format_engine, plus_flag) {
    check_rows({
        {"%+5Y|%+4Y|%+Y|%+EY|%+3C|%+C|%+5EC",
         {1995, 3, 14, 0, 0, 0},
         "UTC",
         "+1995|1995|1995|1995|+19|19|+0019"},
        {"%+4Y|%+6Y|%+C", {12345, 3, 14, 0, 0, 0}, "UTC", "+12345|+12345|+123"},
        {"%+4Y|%+5Y|%+2C|%+3C", {0, 3, 14, 0, 0, 0}, "UTC", "0000|+0000|00|+00"},
        {"%+4Y|%+5Y|%+Y|%+1Y", {-123, 3, 14, 0, 0, 0}, "UTC", "-123|-0123|-123|-123"},
        {"%+11F|%+10F|%+F|%+12F|%012F|%010F|%+5G|%+6G", new_year_2016, "UTC",
         "+2016-01-03|2016-01-03|2016-01-03|+02016-01-03|002016-01-03|2016-01-03|+2015|+02015"},
        {"%+7F|%+F|%+11F", year_minus_one, "UTC", "-1-03-05|-001-03-05|-0001-03-05"},
        {"%07F|%+F|%+6F", {5, 3, 5, 0, 0, 0}, "UTC", "5-03-05|0005-03-05|0005-03-05"},
    });
}

TEST(format_engine, literal_text_passes_through) {
    check_rows({
        {"", example, "EST", ""},
        {"plain text", example, "EST", "plain text"},
        {"+%Y", example, "EST", "+1995"},
        {"tab\there\nnewline \x01\x1f\x7f\x80\xfe\xff", example, "EST",
         "tab\there\nnewline \x01\x1f\x7f\x80\xfe\xff"},
    });
}

TEST(format_engine, zone_names) {
    check_rows({
        {"%z %Z", example, "UTC", "UTC UTC"},
        {"%Z", {2026, 1, 15, 12, 0, 0}, "EST", "EST"},
        {"%Z", {2026, 7, 15, 12, 0, 0}, "EDT", "EDT", 1},
        {"%Z", example, "IST", "IST"},
        {"%Z", example, "+1030", "+1030"},
        {"%Z", {2026, 12, 8, 12, 0, 0}, "+11", "+11", 1},
        // Unknown zone: no characters.
        {"[%Z]", example, "EST", "[]", -1},
        {"[%z]", example, nullptr, "[]"},
        {"[%Z]", example, "", "[]"},
    });
}

TEST(format_engine, iso_and_calendar_weeks_at_year_ends) {
    // %Y-%m-%d %a | %G %g %V %U %W
    const char *format = "%Y-%m-%d %a|%G %g %V %U %W";
    check_rows({
        {format, {1996, 12, 29, 12, 0, 0}, "UTC", "1996-12-29 Sun|1996 96 52 52 52"},
        {format, {1996, 12, 30, 12, 0, 0}, "UTC", "1996-12-30 Mon|1997 97 01 52 53"},
        {format, {1998, 1, 4, 12, 0, 0}, "UTC", "1998-01-04 Sun|1998 98 01 01 00"},
        {format, {2002, 12, 29, 12, 0, 0}, "UTC", "2002-12-29 Sun|2002 02 52 52 51"},
        {format, {2007, 12, 31, 12, 0, 0}, "UTC", "2007-12-31 Mon|2008 08 01 52 53"},
        {format, {2008, 12, 29, 12, 0, 0}, "UTC", "2008-12-29 Mon|2009 09 01 52 52"},
        {format, {2009, 12, 31, 12, 0, 0}, "UTC", "2009-12-31 Thu|2009 09 53 52 52"},
        {format, {2010, 1, 3, 12, 0, 0}, "UTC", "2010-01-03 Sun|2009 09 53 01 00"},
        {format, {2010, 1, 4, 12, 0, 0}, "UTC", "2010-01-04 Mon|2010 10 01 01 01"},
        {format, {2020, 12, 31, 12, 0, 0}, "UTC", "2020-12-31 Thu|2020 20 53 52 52"},
        {format, {2021, 1, 1, 12, 0, 0}, "UTC", "2021-01-01 Fri|2020 20 53 00 00"},
        {format, {2025, 12, 29, 12, 0, 0}, "UTC", "2025-12-29 Mon|2026 26 01 52 52"},
        {format, {2026, 1, 4, 12, 0, 0}, "UTC", "2026-01-04 Sun|2026 26 01 01 00"},
    });
    // The year ends of centuries: not leap years but 2000; the rule for them moves weeks.
    const char *with_day = "%Y-%m-%d %a %j|%G %g %V %U %W";
    check_rows({
        {with_day, {1700, 12, 31, 12, 0, 0}, "UTC", "1700-12-31 Fri 365|1700 00 52 52 52"},
        {with_day, {1701, 1, 1, 12, 0, 0}, "UTC", "1701-01-01 Sat 001|1700 00 52 00 00"},
        {with_day, {1800, 12, 30, 12, 0, 0}, "UTC", "1800-12-30 Tue 364|1801 01 01 52 52"},
        {with_day, {1800, 12, 31, 12, 0, 0}, "UTC", "1800-12-31 Wed 365|1801 01 01 52 52"},
        {with_day, {1801, 1, 1, 12, 0, 0}, "UTC", "1801-01-01 Thu 001|1801 01 01 00 00"},
        {with_day, {1900, 12, 31, 12, 0, 0}, "UTC", "1900-12-31 Mon 365|1901 01 01 52 53"},
        {with_day, {1901, 1, 1, 12, 0, 0}, "UTC", "1901-01-01 Tue 001|1901 01 01 00 00"},
        {with_day, {2000, 12, 31, 12, 0, 0}, "UTC", "2000-12-31 Sun 366|2000 00 52 53 52"},
        {with_day, {2001, 1, 1, 12, 0, 0}, "UTC", "2001-01-01 Mon 001|2001 01 01 00 01"},
        {with_day, {2100, 12, 31, 12, 0, 0}, "UTC", "2100-12-31 Fri 365|2100 00 52 52 52"},
        {with_day, {2101, 1, 1, 12, 0, 0}, "UTC", "2101-01-01 Sat 001|2100 00 52 00 00"},
        {with_day, {2200, 12, 31, 12, 0, 0}, "UTC", "2200-12-31 Wed 365|2201 01 01 52 52"},
        {with_day, {2201, 1, 1, 12, 0, 0}, "UTC", "2201-01-01 Thu 001|2201 01 01 00 00"},
        {with_day, {2300, 12, 31, 12, 0, 0}, "UTC", "2300-12-31 Mon 365|2301 01 01 52 53"},
        {with_day, {2301, 1, 1, 12, 0, 0}, "UTC", "2301-01-01 Tue 001|2301 01 01 00 00"},
    });
}

TEST(format_engine, leap_years) {
    check_rows({
        {"%a %F %j", {2024, 2, 29, 0, 0, 0}, "UTC", "Thu 2024-02-29 060"},
        {"%j", {2024, 12, 31, 0, 0, 0}, "UTC", "366"},
        {"%j", {2000, 12, 31, 0, 0, 0}, "UTC", "366"},
        {"%j", {1900, 12, 31, 0, 0, 0}, "UTC", "365"},
        {"%j %G-%V", {2004, 12, 31, 0, 0, 0}, "UTC", "366 2004-53"},
    });
}

TEST(format_engine, any_year) {
    check_rows({
        {"%Y %C %y %c", {999, 7, 1, 0, 0, 0}, "UTC", "999 09 99 Mon Jul  1 00:00:00 999"},
        {"%Y %C %y", {1000, 1, 1, 0, 0, 0}, "UTC", "1000 10 00"},
        {"%Y %C %y %x", {9999, 12, 31, 23, 59, 59}, "UTC", "9999 99 99 12/31/99"},
        {"%c", {10000, 1, 1, 0, 0, 0}, "UTC", "Sat Jan  1 00:00:00 10000"},
        {"%Y %C %y %G %g %V", {10000, 1, 1, 0, 0, 0}, "UTC", "10000 100 00 9999 99 52"},
        {"%Y %C %y %F", {2026, 12, 8, 0, 0, 0}, "UTC", "2026 20 26 2026-12-08"},
        {"%Y %C %y", {-1, 6, 1, 0, 0, 0}, "UTC", "-1 -01 99"},
        {"%Y %C %y %#C", {-12345, 6, 1, 0, 0, 0}, "UTC", "-12345 -124 55 -124"},
        // The century rounds down: a negative year's century is one below its quotient
        // unless the year is a multiple of 100.
        {"%Y %C %y", {-99, 6, 1, 0, 0, 0}, "UTC", "-99 -01 01"},
        {"%Y %C %y", {-100, 6, 1, 0, 0, 0}, "UTC", "-100 -01 00"},
        {"%Y %C %y", {-101, 6, 1, 0, 0, 0}, "UTC", "-101 -02 99"},
        {"%Y %C %y", {-199, 6, 1, 0, 0, 0}, "UTC", "-199 -02 01"},
        // A one-digit week-based year has one digit, as %Y has.
        {"%Y %G %g", {5, 6, 1, 0, 0, 0}, "UTC", "5 5 05"},
        // Years divisible by 100 and not by 400 that begin on a Wednesday: only there does
        // the 400-year rule move an ISO week (79800 is 399 x 200, 80200 is 401 x 200).
        {"%G-W%V", {79800, 12, 31, 0, 0, 0}, "UTC", "79801-W01"},
        {"%G-W%V", {80200, 12, 31, 0, 0, 0}, "UTC", "80201-W01"},
    });
}

// Fields that only a test or a fuzzer hands in: nothing indexes outside a table.
TEST(format_engine, fields_out_of_range_render_as_question_marks) {
    struct bad_field {
        int std::tm::*field;
        int value;
        const char *format;
        const char *expected;
    };
    const bad_field cases[] = {
        {&std::tm::tm_mon, 12, "%b %B %m %h", "? ? ? ?"},
        {&std::tm::tm_mon, -1, "%b|%B|%m", "?|?|?"},
        {&std::tm::tm_wday, 7, "%a %A %u %w %U %W %V %G %g", "? ? ? ? ? ? ? ? ?"},
        {&std::tm::tm_wday, -1, "%a %A %u %w %U %W %V %G %g", "? ? ? ? ? ? ? ? ?"},
        {&std::tm::tm_wday, INT_MIN, "%a", "?"},
        {&std::tm::tm_yday, 366, "%j %U %W %V", "? ? ? ?"},
        {&std::tm::tm_yday, -1, "%j %U %W %V %G %g", "? ? ? ? ? ?"},
        {&std::tm::tm_mday, 0, "%d %e", "? ?"},
        {&std::tm::tm_mday, 32, "%#d %e", "? ?"},
        {&std::tm::tm_hour, 24, "%H %I %p", "? ? ?"},
        {&std::tm::tm_hour, -1, "%H %I %p %r", "? ? ? ?:41:29 ?"},
        {&std::tm::tm_min, 60, "%M", "?"},
        {&std::tm::tm_min, -1, "%M", "?"},
        {&std::tm::tm_sec, 61, "%S", "?"},
        {&std::tm::tm_sec, -1, "%S", "?"},
        {&std::tm::tm_sec, 60, "%S", "60"}, // a leap second is in range
        {&std::tm::tm_year, INT_MAX, "%Y %y", "2147485547 47"},
        {&std::tm::tm_year, INT_MIN, "%Y %C", "-2147481748 -21474818"},
        {&std::tm::tm_mon, 99, "%c", "Tue ? 14 12:41:29 1995"},
        // Found by the fuzzer: the month and the day of the year were printed as the field
        // plus one, computed before the range check, which overflowed at INT_MAX.
        {&std::tm::tm_mon, INT_MAX, "%m", "?"},
        {&std::tm::tm_yday, INT_MAX, "%j", "?"},
        // Found by the fuzzer: the week numbers were computed before the range check too.
        {&std::tm::tm_yday, INT_MAX, "%U %W", "? ?"},
    };
    for (const bad_field &c : cases) {
        std::tm t = make_tm(example);
        t.*c.field = c.value;
        EXPECT_EQ(expand(c.format, t, 0, "EST"), c.expected) << c.format << " with value " << c.value;
    }
}

// The capacity contract: never past the capacity, always NUL-terminated, the cut reported.
TEST(format_engine, capacity) {
    struct limit_case {
        const char *format;
        std::size_t capacity;
        const char *expected;
        bool fitted;
    };
    const limit_case cases[] = {
        {"abc", 4, "abc", true},    {"abcd", 4, "abc", false},
        {"%B", 4, "Mar", false},    // cut inside a name
        {"%Y", 3, "19", false},     // cut inside a number
        {"x%c", 6, "xTue ", false}, // cut inside a composite
        {"%Z", 4, "", true},        // isdst < 0 below: nothing to write
        {"abc", 1, "", false},      {"", 1, "", true},
        {"ab%%", 3, "ab", false}, // a one-byte conversion just past the room
        {"%B", 6, "March", true}, // a name that fills the room exactly
        {"%j", 0, "", false},     // a padded number with no room at all
    };
    std::tm t = make_tm(example);
    for (const limit_case &c : cases) {
        t.tm_isdst = std::strcmp(c.format, "%Z") == 0 ? -1 : 0;
        char out[16];
        std::memset(out, 0x55, sizeof out);
        const format_result r = format_time(out, c.capacity, c.format, t, 0, "EST");
        if (c.capacity > 0) {
            EXPECT_STREQ(out, c.expected) << c.format << " in " << c.capacity;
        }
        EXPECT_EQ(r.length, std::strlen(c.expected)) << c.format;
        EXPECT_EQ(r.fitted, c.fitted) << c.format << " in " << c.capacity;
        for (std::size_t i = c.capacity; i < sizeof out; ++i) {
            ASSERT_EQ(out[i], 0x55) << c.format << ": byte " << i << " written past the capacity";
        }
    }
}

// Each kind of writer cut at every capacity from 0 to its length + 1: the text is the
// start of the whole expansion, and "fitted" holds exactly when all of it fits.
TEST(format_engine, every_writer_at_every_capacity) {
    const std::string x247(247, 'x');
    const std::string long_zone(60, 'Z');
    const std::string at_minus_one = x247 + "%s";
    const struct {
        std::string format;
        civil when;
        const char *zone;
        std::string expected;
    } cases[] = {
        {"a literal run", example, "EST", "a literal run"},
        {"%%", example, "EST", "%"},
        {"%B", example, "EST", "March"},
        {"%d", fifth, "EST", "05"},
        {"%#d", fifth, "EST", "5"},
        {"%e", fifth, "EST", " 5"},
        {"%j", fifth, "EST", "064"},
        {"%Y", {-12345, 6, 1, 0, 0, 0}, "EST", "-12345"},
        {"%s", example, "EST", "795184889"},
        {"%c", example, "EST", "Tue Mar 14 12:41:29 1995"},
        {"%Z", example, long_zone.c_str(), long_zone},
        // The sign, and a zero, as the last byte that fits in the line.
        {at_minus_one, {1969, 12, 31, 23, 59, 59}, "UTC", x247 + "-1"},
        {at_minus_one, {1970, 1, 1, 0, 0, 0}, "UTC", x247 + "0"},
    };
    for (const auto &c : cases) {
        const std::tm t = make_tm(c.when);
        const long long seconds = epoch_seconds(c.when);
        for (std::size_t capacity = 0; capacity <= c.expected.size() + 1; ++capacity) {
            std::vector<char> out(capacity + 8, '\x55');
            const format_result r = format_time(out.data(), capacity, c.format.c_str(), t, seconds, c.zone);
            const std::size_t kept = capacity == 0 ? 0 : std::min(capacity - 1, c.expected.size());
            EXPECT_EQ(r.fitted, kept == c.expected.size() && capacity > 0) << c.format << " in " << capacity;
            EXPECT_EQ(r.length, kept) << c.format << " in " << capacity;
            if (capacity > 0) {
                EXPECT_EQ(std::string(out.data()), c.expected.substr(0, kept))
                    << c.format << " in " << capacity;
            }
            for (std::size_t i = capacity; i < out.size(); ++i) {
                ASSERT_EQ(out[i], '\x55')
                    << c.format << ": byte " << i << " written past capacity " << capacity;
            }
        }
    }
}

TEST(format_engine, capacity_zero_writes_nothing) {
    const std::tm t = make_tm(example);
    char guard = 0x55;
    EXPECT_FALSE(format_time(&guard, 0, "x", t, 0, "EST").fitted);
    EXPECT_TRUE(format_time(&guard, 0, "", t, 0, "EST").fitted);
    EXPECT_TRUE(format_time(nullptr, 0, "", t, 0, "").fitted);
    EXPECT_EQ(guard, 0x55);
}

TEST(format_engine, line_limit_of_248) {
    const std::tm t = make_tm(example);
    char out[250];
    const std::string exact(248, 'x');
    format_result r = format_time(out, 249, exact.c_str(), t, 0, "EST");
    EXPECT_TRUE(r.fitted);
    EXPECT_EQ(r.length, 248U);
    // Byte 249 from a literal and from a one-byte conversion.
    for (const std::string &over : {exact + "y", exact + "%%"}) {
        r = format_time(out, 249, over.c_str(), t, 0, "EST");
        EXPECT_FALSE(r.fitted) << over;
        EXPECT_EQ(std::string(out), exact) << over;
    }
    // A long format of conversions is cut at 248 bytes as well.
    std::string many;
    for (int i = 0; i < 20000; ++i) {
        many += "%A ";
    }
    r = format_time(out, 249, many.c_str(), t, 0, "EST");
    EXPECT_FALSE(r.fitted);
    EXPECT_EQ(r.length, 248U);
    EXPECT_EQ(std::string(out, 8), "Tuesday ");
    // A width past the line pads past the cut, however many digits it has.
    // (2^64 + 5: a width read with overflow would come back as 5.)
    for (const char *wide :
         {"%249d", "%99999999999999999999d", "%0999999999999999999999999999999A", "%18446744073709551621d"}) {
        r = format_time(out, 249, wide, t, 0, "EST");
        EXPECT_FALSE(r.fitted) << wide;
        EXPECT_EQ(r.length, 248U) << wide;
    }
    r = format_time(out, 249, "%248d", t, 0, "EST");
    EXPECT_TRUE(r.fitted);
    EXPECT_EQ(std::string(out), std::string(246, '0') + "14");
    // A year as wide as the line (found by the fuzzer: it was cut at 128 bytes once).
    r = format_time(out, 249, "%0238F|%+248F", t, 0, "EST");
    EXPECT_FALSE(r.fitted);
    EXPECT_EQ(std::string(out), std::string(228, '0') + "1995-03-14|+" + std::string(8, '0'));
}

} // namespace
