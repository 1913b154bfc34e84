#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""A static build on musl against a build on glibc: every zone name of tzdata, and TZ
values generated from the POSIX grammar and broken in the ways people break them.

Usage: zones.py README SEED COUNT -- OURS... -- THEIRS...
  OURS and THEIRS are the commands that run each build's tests/zone_cases (a TZ value and
  an instant a line in, what the program prints out). SEED "random" picks one; COUNT is
  the number of generated values. Exit status 0 when every difference falls under one
  listed below and each listed one shows; 1 otherwise.

Each case is one key, a value and an instant. glibc's reading is the reference, with one
change of the test's own: a valid value with a daylight name and no rules, and no zone file
of that name, is compared with glibc on the value with ",M3.2.0,M11.1.0" written out (the
rules the static programs give it, where glibc takes its dates from tzdata's posixrules).
"""
import os
import random
import re
import subprocess
import sys
import time

ZONEINFO = "/usr/share/zoneinfo"
JAN, JUL, Y1995, Y2039 = 1768478400, 1784116800, 795184889, 2177707992
DEFAULT_RULES = b"M3.2.0,M11.1.0"

# The test's own reading of a value that has a daylight name and no rules.
NAME = rb"(?:[A-Za-z]{3,}|<[A-Za-z0-9+-]{3,}>)"
OFFSET = rb"[+-]?[\s+-]*\d+(?::[\s+-]*\d+(?::[\s+-]*\d+)?)?"
NO_RULES = re.compile(rb":?(" + NAME + OFFSET + rb")" + NAME + rb"(?:" + OFFSET + rb"|[+-])?,?\Z")
PLAIN_OFFSET = re.compile(rb"[+-]?(\d+)(?::(\d+)(?::(\d+))?)?\Z")


def offsets_in_bounds(value):
    """Whether every offset in a no-rules value is plain digits within POSIX's bounds."""
    body = value.lstrip(b":")
    if body.rstrip(b",")[-1:] in (b"+", b"-"):
        return False  # a sign with no hours after it
    for offset in re.findall(OFFSET, re.sub(rb"<[^>]*>|[A-Za-z]+", b"|", body)):
        match = PLAIN_OFFSET.match(offset.strip())
        if not match or offset != offset.strip():
            return False
        parts = [int(p) if p else 0 for p in match.groups()]
        if parts[0] > 24 or parts[1] > 59 or parts[2] > 59:
            return False
    return True


def has_zone_file(value):
    name = value[1:] if value.startswith(b":") else value
    if not name:
        return True
    path = name if name.startswith(b"/") else os.path.join(ZONEINFO.encode(), name)
    try:
        return os.path.isfile(path)
    except (ValueError, OSError):
        return False


def utc_line(instant):
    return time.strftime("%a %Y-%m-%d %H:%M:%S UTC", time.gmtime(instant))


class Case:
    """One case: a TZ value and an instant; the value glibc is given for it; for a value that
    keeps standard time where glibc would take New York's dates, its standard part; then
    what each program printed."""

    def __init__(self, value, instant, reference, standard=None):
        self.value, self.instant, self.reference, self.standard = value, instant, reference, standard
        self.ours = self.theirs = self.theirs_standard = None


# The differences that may show, each in the words README.md lists it with: a predicate on
# a case that differs. A case that differs is allowed by the first that holds.
def cut(line):
    """The line with its zone name cut to the 6 bytes that musl keeps."""
    head, _, name = line.rpartition(" ")
    return head + " " + name[:6]


def six_bytes(case):
    return case.ours == cut(case.theirs)


def right_zone(case):
    return case.value.startswith(b"right/")


def too_long(case):
    return len(case.value) > 4097 and case.ours == utc_line(case.instant)


def no_rules_out_of_bounds(case):
    return case.standard is not None and case.ours == cut(case.theirs_standard)


# A rule M as glibc finds one: after a "," or, where no daylight name follows the standard
# offset, right after it.
RULE = re.compile(rb"(?:,|\d(?=M(?![A-Za-z]{2})))M([^.,/]*)(?:\.[^.,/]*\.([^.,/]*))?")


def rule_out_of_range(case):
    for month, day in RULE.findall(case.value):
        month = month.strip().lstrip(b"+").strip()
        if not month.isdigit() or not 1 <= int(month) <= 12:
            return True
        day = re.match(rb"\s*\+?\s*(\d*)", day).group(1)
        if day and int(day) > 6:
            return True
    return False


DIFFERENCES = [
    ("six", "musl keeps 6 bytes of a zone name (`OSOL10JQPKXOJT,M6.2.3,39` prints `JQPKXO`)", six_bytes),
    ("leap", "`right/` zones: musl ignores their leap seconds", right_zone),
    ("long", "musl reads a `TZ` longer than 4097 bytes as UTC", too_long),
    ("bounds", "a value with a daylight name and no rules whose offsets POSIX does not allow "
     "(hours above 24, minutes or seconds above 59, a blank or a second sign before a number, a "
     "sign with no number after it) keeps standard time all year in the static programs",
     no_rules_out_of_bounds),
    ("rule", "a rule `Mm.n.d` whose month is outside 1 to 12 or whose day is above 6, which POSIX does "
     "not allow (glibc reads its dates from outside its own tables, or counts its weeks otherwise)",
     rule_out_of_range),
]


# Values that the static programs once read otherwise than glibc (each musl build holds
# them too), beside the generated ones.
FIRST_FOUND = [v.encode() for v in [
    "EST5<EDT", "UTC<W-SU", "GMT<:", "UTC+<", "GMT<BST>", "UTC<X>", "UTC<EDT>", "A-1B", "A5B", "AB5CD",
    "W-SX", "GB-Eirx", "J60AB", "MUB2C,M7.1.6,322", "EST99EDT", "<" + "A" * 260 + ">5EDT", ":EST5",
    ":XCB-14BREFP,M12.3.3,M9.4.0/0", "OSOL10JQPKXOJT,M6.2.3,39", "EST5EDT", "W-SU", "NZ-CHAT", "GB-Eire",
    "CET-1CEST", "EST5EDT4", "EST5EDT,", "<+0330>-3:30<+0430>", "EST+5EDT,J60/2,J300/2", "EST5EDT,59/2,304/2",
    "<-03>3<-02>,M3.5.0/-2,M10.5.0/-1", "IST-1GMT0,M10.5.0,M3.5.0/1", "kvTbS+99:42M-25,M11.5.5,M6",
]]


def generate(rng, count):
    """`count` TZ values: valid POSIX values of every form, then broken variants."""
    letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"

    def name():
        if rng.random() < 0.3:
            chars = letters + "0123456789+-" + ("$:. " if rng.random() < 0.2 else "")
            return "<" + "".join(rng.choice(chars) for _ in range(rng.choice([1, 2, 3, 3, 4, 5, 8]))) + ">"
        return "".join(rng.choice(letters) for _ in range(rng.choice([1, 2, 3, 3, 3, 4, 4, 5, 6, 7, 8])))

    def number(low, high, wild):
        return str(rng.randint(low, high) if rng.random() > 0.1 else rng.choice(wild))

    def offset():
        text = rng.choice(["", "", "+", "-"]) + number(0, 24, [25, 99, 167, 100000])
        if rng.random() < 0.3:
            text += ":" + number(0, 59, [60, 99])
            if rng.random() < 0.4:
                text += ":" + number(0, 59, [60, 99])
        return text

    def rule():
        kind = rng.random()
        if kind < 0.6:
            text = "M%s.%s.%s" % (number(1, 12, [0, 13]), number(1, 5, [0, 6]), number(0, 6, [7]))
        elif kind < 0.8:
            text = "J" + number(1, 365, [0, 366])
        else:
            text = number(0, 365, [366, 1000])
        if rng.random() < 0.5:
            text += "/" + rng.choice(["", "", "-", "+"]) + number(0, 26, [48, 100, 167])
            if rng.random() < 0.3:
                text += ":" + number(0, 59, [60]) + (":" + number(0, 59, [60]) if rng.random() < 0.3 else "")
        return text

    def valid():
        text = name() + offset()
        form = rng.random()
        if form < 0.15:
            return text
        text += name()
        if rng.random() < 0.4:
            text += offset()
        if form < 0.35:
            return text + rng.choice(["", ","])
        text += "," + rule() + "," + rule()
        return text

    def broken(text):
        kind = rng.random()
        if kind < 0.25:
            return text[: rng.randint(0, len(text))]
        if kind < 0.4:
            at = rng.randint(0, len(text))
            return text[:at] + "<" + text[at:]
        if kind < 0.5:
            return text + ","
        if kind < 0.6:
            return ":" + text
        if kind < 0.8:
            at = rng.randint(0, len(text))
            junk = bytes(rng.choice([b for b in range(1, 256) if b != 10]) for _ in range(rng.randint(1, 6)))
            return (text[:at].encode() + junk + text[at:].encode()).decode("latin-1")
        if kind < 0.9:
            return rng.choice(letters) * rng.choice([7, 40, 300]) + text[3:]
        if rng.random() < 0.5:
            return "<" + "A" * rng.choice([260, 5000]) + ">" + offset() + name()
        # About musl's limit, 4097 bytes.
        return (text + rng.choice(",A") * 4100)[: rng.randint(4094, 4099)]

    values = []
    while len(values) < count:
        text = valid()
        if rng.random() < 0.4:
            text = broken(text)
        value = text.encode("latin-1")
        if b"\n" not in value and b"\0" not in value:
            values.append(value)
    return values


def cases_of(value, instants):
    """The cases of `value` at `instants` (and at the instants of its changes in 2026, where
    `instants` is None). A value with a daylight name, no rules and no zone file of
    its name is compared with glibc on the value with the rules written out, where its
    offsets are within POSIX's bounds; otherwise it keeps its standard part's time."""
    reference, standard = value, None
    match = NO_RULES.match(value)
    if match and not has_zone_file(value):
        if offsets_in_bounds(value):
            reference = value.rstrip(b",") + b"," + DEFAULT_RULES
        else:
            standard = match.group(1)
    if instants is None:
        instants = {JAN, JUL, Y1995, Y2039}
        for change in changes_in_2026(reference):
            instants.update({change - 3600, change - 1, change, change + 3600})
    return [Case(value, instant, reference, standard) for instant in sorted(instants)]


def changes_in_2026(value):
    """The instants in 2026 at which glibc's reading of `value` changes offset or name."""
    os.environb[b"TZ"] = value
    time.tzset()

    def state(t):
        tm = time.localtime(t)
        return tm.tm_gmtoff, tm.tm_zone

    start, end, step = 1767225600 - 86400, 1798761600 + 86400, 6 * 3600
    found = []
    t = start
    before = state(t)
    while t < end:
        after = state(t + step)
        if after != before:
            low, high = t, t + step
            while high - low > 1:
                middle = (low + high) // 2
                if state(middle) == before:
                    low = middle
                else:
                    high = middle
            found.append(high)
        before, t = after, t + step
    return found


def run(command, cases):
    """What `command` prints for each (value, instant)."""
    data = b"".join(b"%d\t%s\n" % (instant, value) for value, instant in cases)
    result = subprocess.run(command, input=data, stdout=subprocess.PIPE, check=True)
    lines = result.stdout.decode("latin-1").split("\n")[:-1]
    if len(lines) != len(cases):
        sys.exit("zones: %d cases, %d lines from %s" % (len(cases), len(lines), command[-1]))
    return lines


def main(argv):
    if len(argv) < 6 or argv[4] != "--" or "--" not in argv[5:]:
        sys.exit(__doc__)
    readme_path, seed, count = argv[1], argv[2], int(argv[3])
    split = argv.index("--", 5)
    ours_command, theirs_command = argv[5:split], argv[split + 1:]
    readme = open(readme_path, encoding="utf-8").read()
    failed = [key for key, words, _ in DIFFERENCES if words not in readme]
    for key in failed:
        print("FAIL difference %s: not in README.md in these words" % key)

    seed = random.randrange(1 << 32) if seed == "random" else int(seed)
    print("zones: seed %d (TSTAMP_ZONES_SEED=%d replays it)" % (seed, seed))
    rng = random.Random(seed)
    started = time.monotonic()

    names = []
    for folder, subfolders, files in os.walk(ZONEINFO):
        subfolders[:] = sorted(d for d in subfolders if not (folder == ZONEINFO and d == "posix"))
        for file in sorted(files):
            path = os.path.join(folder, file)
            with open(path, "rb") as f:
                if f.read(4) == b"TZif":
                    names.append(os.path.relpath(path, ZONEINFO).encode())
    # Debian 12's tzdata has about 600 zone names, and as many under right/.
    if len(names) < 1000:
        sys.exit("zones: %d zone names in %s, fewer than 1000 (is tzdata there?)" % (len(names), ZONEINFO))
    values = FIRST_FOUND + generate(rng, count)

    cases = [case for value in names for case in cases_of(value, (JAN, JUL))]
    cases += [case for value in values for case in cases_of(value, None)]
    # Each program over every case at once; glibc also over the standard part of the values
    # that keep standard time.
    kept = [case for case in cases if case.standard is not None]
    ours = run(ours_command, [(case.value, case.instant) for case in cases])
    theirs = run(theirs_command, [(case.reference, case.instant) for case in cases] +
                 [(case.standard, case.instant) for case in kept])
    for case, a, b in zip(cases, ours, theirs):
        case.ours, case.theirs = a, b
    for case, line in zip(kept, theirs[len(cases):]):
        case.theirs_standard = line

    shown = {key: 0 for key, _, _ in DIFFERENCES}
    differing = 0
    bad = 0
    for case in cases:
        if case.ours == case.theirs:
            continue
        differing += 1
        for key, _, holds in DIFFERENCES:
            if holds(case):
                shown[key] += 1
                break
        else:
            bad += 1
            if bad <= 40:
                print("FAIL TZ=%r at %d: '%s', glibc '%s'" % (case.value, case.instant, case.ours, case.theirs))
    if bad > 40:
        print("FAIL ... %d more" % (bad - 40))
    for key, count_shown in shown.items():
        if count_shown == 0:
            print("FAIL difference %s: listed, and it does not show" % key)
            failed.append(key)
    print("zones: %d zone names, %d values found before and %d generated, %d cases, each run by both "
          "programs, in %.0f s" % (len(names), len(FIRST_FOUND), count, len(cases), time.monotonic() - started))
    print("zones: %d cases differ: %s" % (differing, ", ".join("%s %d" % item for item in shown.items())))
    return 1 if bad or failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
