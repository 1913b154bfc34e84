// SPDX-License-Identifier: MIT
#include "usage_text.h"

#include <stdio.h>

namespace {

// Single-byte text, written byte for byte. \x92, \x93 and \x94 are the right single and
// the left and right double quotation marks of Windows-1252, not UTF-8. Several lines end
// in a blank on purpose. Fixed-width rows rather than pointers: the program then needs no
// relocation for the text at start-up.
constexpr char usage_lines[40][84] = {
    "tstamp. Prints the current local date and time\n",
    "\n",
    "Usage: tstamp [+FORMAT]\n",
    "\n",
    "FORMAT controls the output.  Any values other than those specified\n",
    "are copied to output.  Interpreted sequences are:\n",
    "\n",
    "  %a   Abbreviated weekday name\n",
    "  %A   Full weekday name\n",
    "  %b   Abbreviated month name\n",
    "  %B   Full month name\n",
    "  %c   Date and time representation appropriate for locale\n",
    "  %d   Day of month as decimal number (01 - 31)\n",
    "  %H   Hour in 24-hour format (00 - 23)\n",
    "  %I   Hour in 12-hour format (01 - 12)\n",
    "  %j   Day of year as decimal number (001 - 366)\n",
    "  %m   Month as decimal number (01 - 12)\n",
    "  %M   Minute as decimal number (00 - 59)\n",
    "  %p   Current locale\x92s A.M./P.M. indicator for 12-hour clock\n",
    "  %S   Second as decimal number (00 - 59)\n",
    "  %U   Week of year as decimal number, with Sunday as first day of week (00 - 53)\n",
    "  %w   Weekday as decimal number (0 - 6; Sunday is 0)\n",
    "  %W   Week of year as decimal number, with Monday as first day of week (00 - 53)\n",
    "  %x   Date representation for current locale\n",
    "  %X   Time representation for current locale\n",
    "  %y   Year without century, as decimal number (00 - 99)\n",
    "  %Y   Year with century, as decimal number\n",
    "  %z, %Z   Time-zone name or abbreviation; no characters if time zone is unknown\n",
    "  %%   Percent sign\n",
    "  \n",
    "  The # flag may prefix any formatting code. \n",
    "  In that case, the meaning of the format code is changed as follows.\n",
    "  \n",
    "  %#a, %#A, %#b, %#B, %#p, %#X, %#z, %#Z, %#% # flag is ignored. \n",
    "  %#c Long date and time representation, appropriate for \n",
    "  \tcurrent locale. For example: \x93Tuesday, March 14, 1995, 12:41:29\x94. \n",
    "  %#x Long date representation, appropriate to current locale. \n",
    "  \tFor example: \x93Tuesday, March 14, 1995\x94. \n",
    "  %#d, %#H, %#I, %#j, %#m, %#M, %#S, %#U, %#w, %#W, %#y, %#Y \n",
    "  \tRemove leading zeros (if any). \n",
};

} // namespace

void write_usage() {
    for (const char *line : usage_lines) {
        fputs(line, stderr);
    }
}
