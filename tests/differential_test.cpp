// SPDX-License-Identifier: MIT
// The engine against the C library's own strftime, for every sequence whose C-locale
// meaning they share. Only glibc is a reference here: other runtimes differ, which is why
// the engine exists.
//
// The sequences are those of the table, completion/sequences.tsv (generated/sequences.h),
// with these differences on purpose:
// - added: every E and O form C99 allows (the table's last column);
// - added: each of them with the flags "-", "_", "0" and "^", alone and in pairs, and with
//   the widths 1 to 12 and 249 (on every twentieth instant; a width of 249 compared on
//   the first 248 bytes, where the line is cut);
// - left out, because we decided them differently: %z (glibc: a numeric offset), every
//   "#" form (glibc: changes letter case), the "+" flag (POSIX's rule, which glibc does
//   not follow), zeros padding a negative number (ours after the sign, glibc's before),
//   %C for years outside 1000-9999 (glibc: no padding) and the largest years; and the
//   sequences that are not ours, which we copy as typed.
// Some 32-bit builds of glibc (2.36: armhf, and i386 when linked statically) print -1 for
// %s past 2038 even with a 64-bit time_t; there, and only there, %s is passed over.

#include "format_engine.h"

#include <gtest/gtest.h>

#if defined(__GLIBC__)

#include "sequences.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

std::vector<std::string> shared_sequences() {
    std::vector<std::string> sequences;
    for (const char *sequence : {TSTAMP_PLAIN_SEQUENCES}) {
        if (std::strcmp(sequence, "%z") != 0) {
            sequences.emplace_back(sequence);
        }
    }
    for (const char *c = TSTAMP_E_CONVERSIONS; *c != '\0'; ++c) {
        sequences.push_back(std::string("%E") + *c);
    }
    for (const char *c = TSTAMP_O_CONVERSIONS; *c != '\0'; ++c) {
        sequences.push_back(std::string("%O") + *c);
    }
    return sequences;
}

// A plain sequence with flags or a width before its conversion.
struct variant {
    std::string sequence;
    char conversion;
    char last_pad; // the last of "-", "_" and "0" among its flags, or '\0'
};

std::vector<variant> flagged_variants() {
    const std::string flags = "-_0^";
    std::vector<std::string> runs;
    for (char a : flags) {
        runs.emplace_back(1, a);
        for (char b : flags) {
            runs.push_back(std::string{a, b});
        }
    }
    for (int width = 1; width <= 12; ++width) {
        runs.push_back(std::to_string(width));
    }
    runs.emplace_back("249");
    runs.emplace_back("_249");
    runs.emplace_back("09");
    std::vector<variant> variants;
    for (const char *sequence : {TSTAMP_PLAIN_SEQUENCES}) {
        const char conversion = sequence[1];
        if (conversion == 'z') {
            continue;
        }
        for (const std::string &run : runs) {
            const std::size_t pad = run.find_last_of("-_0", run.find_first_of("123456789"));
            variants.push_back({std::string("%") + run + conversion, conversion,
                                pad == std::string::npos ? '\0' : run[pad]});
        }
    }
    return variants;
}

const char *const zones[] = {"UTC", "America/New_York", "Asia/Kolkata", "Australia/Lord_Howe",
                             "Europe/London"};

// Whether the C library's %s reaches past 2038 (2038-01-19 03:14:08 UTC).
bool library_seconds_reach_past_2038() {
    setenv("TZ", "UTC", 1);
    tzset();
    const std::time_t past = static_cast<std::time_t>(2147483648LL);
    std::tm local{};
    char text[32];
    const std::string seconds = "%s"; // not C++'s, so not a literal
    return localtime_r(&past, &local) != nullptr &&
           std::strftime(text, sizeof text, seconds.c_str(), &local) != 0 &&
           std::strcmp(text, "2147483648") == 0;
}

TEST(differential, engine_matches_glibc_on_shared_sequences) {
    const bool seconds_past_2038 = library_seconds_reach_past_2038();
    const std::vector<std::string> sequences = shared_sequences();
    ASSERT_FALSE(sequences.empty());
    std::uint64_t state = 0x9e3779b97f4a7c15ULL;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    // Years 1000-9999: from 1000-01-01 to 9999-12-31 UTC, weighted towards the present.
    constexpr long long first = -30610224000LL;
    constexpr long long span = 253402300799LL - first;
    const std::vector<variant> variants = flagged_variants();
    int compared = 0;
    int compared_variants = 0;
    int skipped = 0;
    for (const char *zone : zones) {
        setenv("TZ", zone, 1);
        tzset();
        for (int i = 0; i < 2000; ++i) {
            const std::uint64_t r = next();
            const long long seconds =
                i % 2 == 0 ? first + static_cast<long long>(r % static_cast<std::uint64_t>(span))
                           : static_cast<long long>(r % 4102444800ULL) - 2208988800LL; // 1900-2100
            const std::time_t now = static_cast<std::time_t>(seconds);
            std::tm local{};
            ASSERT_NE(localtime_r(&now, &local), nullptr);
            for (const std::string &sequence : sequences) {
                char ours[128];
                char theirs[128];
                format_time(ours, sizeof ours, sequence.c_str(), local, seconds, local.tm_zone);
                ASSERT_NE(std::strftime(theirs, sizeof theirs, sequence.c_str(), &local), 0U) << sequence;
                if (sequence == "%s" && (seconds > INT32_MAX || seconds < INT32_MIN) &&
                    std::strcmp(theirs, "-1") == 0) {
                    ++skipped; // the C library is wrong here, not a reference
                    continue;
                }
                ASSERT_STREQ(ours, theirs) << sequence << " at " << seconds << " in " << zone;
                ++compared;
            }
            if (i % 20 == 0) {
                for (const variant &v : variants) {
                    if (seconds < 0 && v.conversion == 's' && v.last_pad == '0') {
                        continue; // glibc puts the zeros before the sign
                    }
                    if (v.conversion == 's' && !seconds_past_2038 &&
                        (seconds > INT32_MAX || seconds < INT32_MIN)) {
                        ++skipped; // the C library is wrong here, as above
                        continue;
                    }
                    char ours[260];
                    char theirs[512];
                    format_time(ours, 249, v.sequence.c_str(), local, seconds, local.tm_zone);
                    const std::size_t length =
                        std::strftime(theirs, sizeof theirs, v.sequence.c_str(), &local);
                    ASSERT_NE(length, 0U) << v.sequence;
                    theirs[length < 248 ? length : 248] = '\0';
                    ASSERT_STREQ(ours, theirs) << v.sequence << " at " << seconds << " in " << zone;
                    ++compared_variants;
                }
            }
        }
    }
    EXPECT_GT(compared, 5 * 2000);
    EXPECT_GT(compared_variants, 5 * 100 * static_cast<int>(variants.size()) * 9 / 10);
    std::printf("compared %d plain sequences and %d with flags or widths, passed over %d\n", compared,
                compared_variants, skipped);
    // Only a C library whose %s stops at 2038 is passed over there.
    EXPECT_TRUE(skipped == 0 || !seconds_past_2038) << skipped << " instants of %s passed over";
}

} // namespace

#endif
