// SPDX-License-Identifier: MIT
// Broken-down times for tests, computed from a civil date without the platform's clock
// or zone functions, so a row means the same on every platform.
#pragma once

#include <ctime>

struct civil {
    long long year;
    int month; // 1-12
    int day;   // 1-31
    int hour;
    int minute;
    int second;
};

// Days since 1970-01-01 of a proleptic Gregorian date.
inline long long days_from_civil(long long y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long mp = (m + 9) % 12;
    const long long doy = (153 * mp + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Seconds since the Epoch of a civil time read in UTC.
inline long long epoch_seconds(const civil &c) {
    return days_from_civil(c.year, c.month, c.day) * 86400 + c.hour * 3600 + c.minute * 60 + c.second;
}

inline std::tm make_tm(const civil &c, int isdst = 0) {
    const long long days = days_from_civil(c.year, c.month, c.day);
    std::tm t{};
    t.tm_year = static_cast<int>(c.year - 1900);
    t.tm_mon = c.month - 1;
    t.tm_mday = c.day;
    t.tm_hour = c.hour;
    t.tm_min = c.minute;
    t.tm_sec = c.second;
    t.tm_wday = static_cast<int>(((days + 4) % 7 + 7) % 7); // 1970-01-01 was a Thursday
    t.tm_yday = static_cast<int>(days - days_from_civil(c.year, 1, 1));
    t.tm_isdst = isdst;
    return t;
}
