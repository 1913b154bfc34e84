// SPDX-License-Identifier: MIT
// The zone's mend: each TZ value, the files that the lookup finds, and what musl is handed
// ("" when the value is left alone).

#include "zone_mend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The files of a row: a space-separated list of PATH=KIND (zone, other, or none for a
// folder); every other path is not there.
const char *row_files = nullptr;

zone_file fake_kind(const char *path) {
    const std::string files = std::string(" ") + row_files + " ";
    for (const char *kind : {"zone", "other", "none"}) {
        if (files.find(std::string(" ") + path + "=" + kind + " ") != std::string::npos) {
            return kind[0] == 'z' ? zone_file::zone : kind[0] == 'o' ? zone_file::other : zone_file::none;
        }
    }
    return zone_file::none;
}

std::string mended(const char *value, const char *files) {
    row_files = files;
    char out[mended_zone_size + 1];
    std::memset(out, '#', sizeof out);
    const size_t length = mend_zone_value(value, fake_kind, out);
    EXPECT_EQ(out[mended_zone_size], '#') << value;
    if (length == 0) {
        EXPECT_EQ(out[0], '#') << value << ": written, and left alone";
        return "";
    }
    EXPECT_EQ(std::strlen(out), length) << value;
    return out;
}

struct mend_row {
    const char *value;
    const char *files;
    const char *expected;
};

// Written for musl with the roles swapped: the end of daylight time first.
#define DEFAULT_RULES ",M11.1.0/2:0:0,M3.2.0/2:0:0"

TEST(zone_mend, what_musl_is_handed) {
    const std::string long_name = "<" + std::string(260, 'A') + ">5EDT";
    // The longest name musl looks up in its folders, and one longer.
    const std::string longest_name = std::string(251, 'A') + "5EDT";
    const std::string longest_path = ":/usr/share/zoneinfo/" + longest_name;
    const std::string longest_file = "/usr/share/zoneinfo/" + longest_name + "=zone";
    const std::string too_long_name = "A" + longest_name;
    const std::string too_long_file = "/usr/share/zoneinfo/" + too_long_name + "=zone";
    const std::string too_long = std::string(4098, 'A');
    const std::string longest = "A5B" + std::string(4094, ',');
    const mend_row mend_rows[] = {
        // Zone files: musl finds those it looks for; the others are named for it.
        {"America/New_York", "/usr/share/zoneinfo/America/New_York=zone", ""},
        {":America/New_York", "/usr/share/zoneinfo/America/New_York=zone", ""},
        {"EST5EDT", "/usr/share/zoneinfo/EST5EDT=zone", ":/usr/share/zoneinfo/EST5EDT"},
        {":EST5EDT", "/usr/share/zoneinfo/EST5EDT=zone", ""},
        {"W-SU", "/usr/share/zoneinfo/W-SU=zone", ":/usr/share/zoneinfo/W-SU"},
        {"UTC", "/usr/share/zoneinfo/UTC=zone", ":/usr/share/zoneinfo/UTC"},
        {"GMT", "/usr/share/zoneinfo/GMT=zone", ":/usr/share/zoneinfo/GMT"},
        {"<UTC>", "/usr/share/zoneinfo/<UTC>=zone", ":/usr/share/zoneinfo/<UTC>"},
        {"<EST>5", "/usr/share/zoneinfo/<EST>5=zone", ":/usr/share/zoneinfo/<EST>5"},
        // musl reads these as names, not as POSIX values, and so finds their files itself.
        {"GMX", "/usr/share/zoneinfo/GMX=zone", ""},
        {"UTCX", "/usr/share/zoneinfo/UTCX=zone", ""},
        {"<EST", "/usr/share/zoneinfo/<EST=zone", ""},
        {"<EST5", "/usr/share/zoneinfo/<EST5=zone", ""},
        {"EST5EDT", "/share/zoneinfo/EST5EDT=zone", ":/share/zoneinfo/EST5EDT"},
        {"EST5EDT", "/etc/zoneinfo/EST5EDT=zone", ":/etc/zoneinfo/EST5EDT"},
        // Named: a folder of that name in the first folder is passed over, as musl does.
        {"EST5EDT", "/usr/share/zoneinfo/EST5EDT=none /share/zoneinfo/EST5EDT=zone",
         ":/share/zoneinfo/EST5EDT"},
        // A file that is no zone file stops the search; glibc then reads the value.
        {"EST5EDT", "/usr/share/zoneinfo/EST5EDT=other /share/zoneinfo/EST5EDT=zone",
         "<EDT>4:0:0<EST>5:0:0" DEFAULT_RULES},
        {"./UTC", "/usr/share/zoneinfo/./UTC=zone", ":/usr/share/zoneinfo/./UTC"},
        {"/etc/localtime", "/etc/localtime=zone", ""},
        {"/nowhere", "", "<>0:0:0"},
        {"", "", ""},
        {":", "", ":/etc/localtime"},
        // No file: glibc's reading of a POSIX value.
        {"EST5EDT", "", "<EDT>4:0:0<EST>5:0:0" DEFAULT_RULES},
        {"EST5EDT,", "", "<EDT>4:0:0<EST>5:0:0" DEFAULT_RULES},
        {"CET-1CEST", "", "<CEST>-2:0:0<CET>-1:0:0" DEFAULT_RULES},
        {"<+0330>-3:30<+0430>", "", "<+0430>-4:30:0<+0330>-3:30:0" DEFAULT_RULES},
        {":EST5", "", "<EST>5:0:0"},
        {"UTC", "", "<UTC>0:0:0"},
        {"W-SU", "", "<>0:0:0"},
        {"GB-Eire", "", "<>0:0:0"},
        {"A5B", "", "<>0:0:0"},
        {"<E>5", "", "<>0:0:0"},
        {"<ES>5", "", "<>0:0:0"},
        {"E1ST>5", "", "<>0:0:0"},
        {"<E$T>5", "", "<>0:0:0"},
        {"<ES1>5", "", "<ES1>5:0:0"},
        {"ESTx", "", "<ESTx>0:0:0"},
        {"EST+", "", "<EST>0:0:0"},
        {"EST+x", "", "<EST>0:0:0"},
        {"EST 5", "", "<EST>0:0:0"},
        {"ABC[5", "", "<ABC>0:0:0"},
        {"abz{5", "", "<abz>0:0:0"},
        {"ZZZ5", "", "<ZZZ>5:0:0"},
        {"ES@5", "", "<>0:0:0"},
        {"ab`5", "", "<>0:0:0"},
        {"EST:5", "", "<EST>0:0:0"},
        {"EST9EDT,M3.2.0,M11.1.0", "", "<EDT>8:0:0<EST>9:0:0" DEFAULT_RULES},
        {"EST5EDT 4,M3.2.0,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0" DEFAULT_RULES},
        {"EST5EDT\t3,M3.2.0,M11.1.0", "", "<EDT>3:0:0<EST>5:0:0" DEFAULT_RULES},
        {"EST5EDT\r3,M3.2.0,M11.1.0", "", "<EDT>3:0:0<EST>5:0:0" DEFAULT_RULES},
        // ... and no other control character.
        {"EST5EDT\b3,M3.2.0,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,0/0:0:0"},
        {"EST5EDT\x0e"
         "3,M3.2.0,M11.1.0",
         "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,0/0:0:0"},
        // Blanks or a second sign before an offset's number are glibc's, not POSIX's.
        {"EST5EDT 4", "", "<EST>5:0:0"},
        {"UTC<W-SU", "", "<UTC>0:0:0"},
        {"GMT<BST>", "", "<GMT>0:0:0"},
        // An offset's hours count to 24, its minutes and seconds to 59; such a value gets no
        // rules.
        {"EST99EDT", "", "<EST>24:0:0"},
        {"EST24EDT", "", "<EDT>23:0:0<EST>24:0:0" DEFAULT_RULES},
        {"EST25EDT", "", "<EST>24:0:0"},
        {"EST5:59:59EDT", "", "<EDT>4:59:59<EST>5:59:59" DEFAULT_RULES},
        {"EST5:60EDT", "", "<EST>5:59:0"},
        {"EST5:0:60EDT", "", "<EST>5:0:59"},
        {"EST5EDT+", "", "<EST>5:0:0"},
        {"EST99EDT,", "", "<EST>24:0:0"},
        // ... unless it has rules, even malformed ones.
        {"EST99EDT,x", "", "<EDT>23:0:0<EST>24:0:0,0/0:0:0,0/0:0:0"},
        {"EST99EDT4x", "", "<EDT>4:0:0<EST>24:0:0,0/0:0:0,0/0:0:0"},
        {"EST-0:0:1", "", "<EST>-0:0:1"},
        {"EST5:99:99", "", "<EST>5:59:59"},
        {"EST5:1:2:3", "", "<>0:0:0<EST>5:1:2,0/0:0:0,0/0:0:0"},
        {"EST-24:59", "", "<EST>-24:59:0"},
        {"EST+-5", "", "<EST>24:0:0"},
        {"EST5EDT99", "", "<EST>5:0:0"},
        // A daylight name glibc cannot read: its daylight time is UTC with no name.
        {"EST5<EDT", "", "<>0:0:0<EST>5:0:0,0/0:0:0,0/0:0:0"},
        {"EST5ED", "", "<>0:0:0<EST>5:0:0,0/0:0:0,0/0:0:0"},
        {"EST99<EDT", "", "<>0:0:0<EST>24:0:0,0/0:0:0,0/0:0:0"},
        {"EST5,M3.2.0,M11.1.0", "", "<>0:0:0<EST>5:0:0,M11.1.0/2:0:0,M3.2.0/2:0:0"},
        // Rules as glibc keeps them: a malformed one as far as it was read, at 00:00.
        {"EST5EDT4x", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,0/0:0:0"},
        {"EST5EDT,,", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,0/0:0:0"},
        {"EST5EDT,M3.2.0", "", "<EDT>4:0:0<EST>5:0:0" DEFAULT_RULES},
        {"EST5EDT,M3.2.0,M11.1.0x", "", "<EDT>4:0:0<EST>5:0:0,M11.1.0/0:0:0,M3.2.0/2:0:0"},
        {"EST5EDT,M3.0.0,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,M3.1.0/0:0:0"},
        {"EST5EDT,M3.x,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,M3.1.0/0:0:0"},
        {"EST5EDT,M3.6.0,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,M3.5.0/0:0:0"},
        {"EST5EDT,M3.2.7,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,M3.2.7/0:0:0"},
        {"EST5EDT,M13.1.0,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,0/0:0:0"},
        {"EST5EDT,M1.1.0,M12.5.6", "", "<EDT>4:0:0<EST>5:0:0,M12.5.6/2:0:0,M1.1.0/2:0:0"},
        {"EST5EDT,J1,J365", "", "<EDT>4:0:0<EST>5:0:0,J365/2:0:0,J1/2:0:0"},
        {"EST5EDT,0,365", "", "<EDT>4:0:0<EST>5:0:0,365/2:0:0,0/2:0:0"},
        {"EST5EDT,J60x", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,J60/0:0:0"},
        {"EST5EDT,J60/", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,J60/0:0:0"},
        {"EST5EDT,M3.9.0/1,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,M3.5.0/0:0:0"},
        {"EST5EDT,M3.2.9,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,M3.2.9/0:0:0"},
        {"EST5EDT,J0,J365", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,J0/0:0:0"},
        {"EST5EDT,J60/2,366", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,J60/2:0:0"},
        {"EST5EDT,59/2,J365/", "", "<EDT>4:0:0<EST>5:0:0,J365/0:0:0,59/2:0:0"},
        {"EST5EDT,M3.2.0/-170,M11.1.0/170:30:45", "",
         "<EDT>4:0:0<EST>5:0:0,M11.1.0/170:30:45,M3.2.0/-170:0:0"},
        // A number past 64 bits is 2^64 - 1 to glibc, cut to 16 bits; one below it is cut only.
        {"EST5EDT,M3.2.0/18446744073709551616,M11.1.0", "",
         "<EDT>4:0:0<EST>5:0:0,M11.1.0/2:0:0,M3.2.0/65535:0:0"},
        {"EST5EDT,M3.2.0/18446744073709486080,M11.1.0", "",
         "<EDT>4:0:0<EST>5:0:0,M11.1.0/2:0:0,M3.2.0/0:0:0"},
        {"EST5EDT,M3.2.0/40000,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0,M11.1.0/2:0:0,M3.2.0/40000:0:0"},
        // A "-" inside a number negates it, to 65534 here: no week.
        {"EST5EDT,M3.-2.0,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,M3.5.0/0:0:0"},
        {"EST5EDT,M3.2.0/x,M11.1.0", "", "<EDT>4:0:0<EST>5:0:0,0/0:0:0,M3.2.0/2:0:0"},
        {"EST5EDT5,M3.2.0,M3.2.0", "", "<EDT>5:0:0<EST>5:0:0,M3.2.0/2:0:0,M3.2.0/2:0:0"},
        {longest_name.c_str(), longest_file.c_str(), longest_path.c_str()},
        {too_long_name.c_str(), too_long_file.c_str(), "<EDT>4:0:0<AAAAAA>5:0:0" DEFAULT_RULES},
        // Names: musl keeps six bytes of each.
        {long_name.c_str(), "", "<EDT>4:0:0<AAAAAA>5:0:0" DEFAULT_RULES},
        {"OSOL10JQPKXOJT,M6.2.3,39", "", "<JQPKXO>9:0:0<OSOL>10:0:0,39/2:0:0,M6.2.3/2:0:0"},
        // musl's own limit: a longer value is UTC there, and left so.
        {too_long.c_str(), "", ""},
        {longest.c_str(), "", "<>0:0:0"},
        {nullptr, "", ""},
    };
    for (const mend_row &r : mend_rows) {
        const char *const shown = r.value == nullptr ? "(unset)" : r.value;
        EXPECT_EQ(mended(r.value, r.files), r.expected) << shown << " with " << r.files;
    }
}

} // namespace
