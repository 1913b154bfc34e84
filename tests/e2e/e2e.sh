#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# End-to-end tests: the built program as a black box. Every case checks the exit status and
# the bytes on both standard output and standard error.
#
# Usage: e2e.sh GROUP   (an unknown group exits 2; a group that checks nothing fails)
# Environment, set by the build (tests/CMakeLists.txt):
#   TSTAMP           the program
#   TSTAMP_LAUNCH    the build's launcher, which runs it: `$TSTAMP_LAUNCH $TSTAMP ARG...`;
#                    with TSTAMP_TEST_CLOCK set the program's clock is the test stand-in,
#                    tests/e2e/clock_shim.c, which freezes the clock or makes it fail (a -1
#                    from the clock is an instant: the frozen table's 1969-12-31 23:59:59)
#   TSTAMP_PLATFORM  linux or windows
#   TSTAMP_LIBC      the C library the program uses: glibc or musl (Linux), msvcrt (Windows)
#   TSTAMP_DATA      tests/data
set -u
# shellcheck source=tests/harness.sh
source "$(dirname "$0")/../harness.sh"
require TSTAMP TSTAMP_LAUNCH TSTAMP_PLATFORM TSTAMP_DATA
platform=$TSTAMP_PLATFORM
require TSTAMP_LIBC
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The platform's line end: the Windows runtime writes text mode, "\n" as CR LF.
nl=$'\n'
[[ $platform == windows ]] && nl=$'\r\n'
to_platform() { printf '%s' "${1//$'\n'/$nl}"; }

# by_libc GLIBC MUSL [MSVCRT]: the answer of the C library the program uses, where they
# differ (zones they cannot find, the words of an error); without MSVCRT, glibc's there too.
by_libc() {
    case $TSTAMP_LIBC in
    musl) printf '%s' "$2" ;;
    msvcrt) printf '%s' "${3-$1}" ;;
    *) printf '%s' "$1" ;;
    esac
}

# Where the usage text is expected, in the platform's line ends.
if [[ $platform == windows ]]; then
    sed 's/$/\r/' "$TSTAMP_DATA/usage.txt" >"$work/usage"
else
    cp "$TSTAMP_DATA/usage.txt" "$work/usage"
fi

# launch [operand ...]: runs the program; the caller redirects.
launch() { "$TSTAMP_LAUNCH" "$TSTAMP" "$@"; }

# run [NAME=value | -u NAME ...] -- [operand ...]
# Runs the program with that environment (as env(1) takes it) and standard input from /dev/null; leaves its streams in $work/out and
# $work/err and its exit status in $status.
run() {
    local envs=()
    while [[ $# -gt 0 && $1 != -- ]]; do
        envs+=("$1")
        shift
    done
    shift
    env "${envs[@]}" "$TSTAMP_LAUNCH" "$TSTAMP" "$@" >"$work/out" 2>"$work/err" </dev/null
    status=$?
}

# fail NAME REASON: as the harness's, and what the program wrote.
fail() {
    count_failure "$1" "$2"
    for stream in out err; do
        [[ -f $work/$stream ]] || continue # a check that failed before the program ran
        printf '  std%s (%s bytes):\n' "$stream" "$(wc -c <"$work/$stream")"
        od -c "$work/$stream" | head -n 12 | sed 's/^/    /'
    done
}

# check NAME STATUS STDOUT STDERR
# STDOUT and STDERR are the exact expected texts with "\n" line ends (made CR LF on Windows);
# STDERR may be @usage for the usage text.
check() {
    local name=$1 want_status=$2
    to_platform "$3" >"$work/want_out"
    if [[ $4 == @usage ]]; then cp "$work/usage" "$work/want_err"; else to_platform "$4" >"$work/want_err"; fi
    if [[ $status != "$want_status" ]]; then
        fail "$name" "status $status, expected $want_status"
    elif ! cmp -s "$work/out" "$work/want_out"; then
        fail "$name" "standard output differs from $(od -c "$work/want_out" | head -n 3)"
    elif ! cmp -s "$work/err" "$work/want_err"; then
        fail "$name" "standard error differs from $(od -c "$work/want_err" | head -n 3)"
    else
        pass
    fi
}

# check_match NAME REGEX: status 0, standard error empty, standard output one line matching
# the extended REGEX (without its line end).
check_match() {
    local name=$1 regex=$2 line
    line=$(tr -d '\r' <"$work/out")
    if [[ $status != 0 || -s $work/err ]]; then
        fail "$name" "status $status or output on standard error"
    elif [[ ! $line =~ $regex ]]; then
        fail "$name" "standard output does not match $regex"
    else
        pass
    fi
}

rejected() { # rejected NAME [operand ...]
    local name=$1
    shift
    run -- "$@"
    check "$name" 2 "" @usage
}

group_dispatch() {
    run --
    check_match "no operand: default line" '^[A-Z][a-z]{2} [A-Z][a-z]{2} [ 123][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4,}$'
    if [[ $(wc -c <"$work/out") == $((24 + 2 * ${#nl})) ]]; then pass; else
        fail "no operand: 26 bytes" "$(wc -c <"$work/out") bytes"
    fi
    run -- +
    check "a single plus: empty line" 0 $'\n' ""
    run -- ++
    check "two plus signs: a plus sign" 0 $'+\n' ""
    run -- "+hello, world"
    check "text without a conversion" 0 $'hello, world\n' ""
    run -- "++%%"
    check "plus then a percent sequence" 0 $'+%\n' ""
    run -- "++%Y"
    check_match "two plus signs then %Y" '^\+[0-9]{4}$'
    rejected "empty operand" ""
    rejected "blank before the plus" " +%Y"
    rejected "no plus" "%Y"
    rejected "-h" -h
    rejected "--help" --help
    rejected "/?" "/?"
    rejected "two operands" +%Y +%m
    rejected "three operands" + + +
    rejected "operand then a plain word" +%Y x
}

group_usage() {
    # The comparison holds the program to the reference, tests/data/usage.txt; this holds
    # the reference to the usage text as designed, 1757 bytes in 40 lines.
    local bytes lines
    bytes=$(wc -c <"$TSTAMP_DATA/usage.txt") lines=$(wc -l <"$TSTAMP_DATA/usage.txt")
    if [[ $bytes == 1757 && $lines == 40 ]]; then pass; else
        fail "the reference usage text is 1757 bytes in 40 lines" "$bytes bytes in $lines lines"
    fi
    rejected "usage text byte for byte" -x
    # The program word stays tstamp under any other name.
    local other="$work/renamed-tool"
    [[ $platform == windows ]] && other+=.exe
    cp "$TSTAMP" "$other"
    local saved=$TSTAMP
    TSTAMP=$other
    rejected "usage text under another name" --help
    TSTAMP=$saved
}

group_frozen() {
    # NAME ; CLOCK ; TZ ; FORMAT (- for none: the default line) ; what glibc's program prints ;
    # musl's ; msvcrt's. The printed line without its newline (the default line's own newline
    # is added); "=" the same as glibc's; "!REASON" exit status 1 and "tstamp: REASON" on
    # standard error; "~REGEX" a line that matches; "wine:" before msvcrt's answer marks
    # what Wine's msvcrt prints where Windows' own differs (README.md, Windows).
    local name clock tz format want glibc musl msvcrt own_newline
    local unconvertible='!cannot convert the time to local time: Invalid argument'
    while IFS=';' read -r name clock tz format glibc musl msvcrt; do
        [[ -n $name ]] || continue
        want=$(by_libc "$glibc" "$musl" "$msvcrt")
        [[ $want == = ]] && want=$glibc
        want=${want#wine:}
        own_newline=""
        if [[ $format == - ]]; then
            run TSTAMP_TEST_CLOCK="$clock" "TZ=$tz" --
            own_newline=$'\n'
        else
            run TSTAMP_TEST_CLOCK="$clock" "TZ=$tz" -- "$format"
        fi
        case $want in
        '!'*) check "$name" 1 "" "tstamp: ${want#!}"$'\n' ;;
        '~'*) check_match "$name" "${want#\~}" ;;
        *) check "$name" 0 "$want$own_newline"$'\n' "" ;;
        esac
    done <<EOF
default line;795184889;UTC;-;Tue Mar 14 12:41:29 1995;=;=
default line, New York;795184889;America/New_York;-;Tue Mar 14 07:41:29 1995;=;Tue Mar 14 12:41:29 1995
default line, day padded with a blank;794394425;UTC;-;Sun Mar  5 09:07:05 1995;=;=
+%Y-%m-%d;795184889;UTC;+%Y-%m-%d;1995-03-14;=;=
++%Y;795184889;UTC;++%Y;+1995;=;=
locale forms;795184889;UTC;+%#c|%#x|%c|%x|%X|%p;Tuesday, March 14, 1995, 12:41:29|Tuesday, March 14, 1995|Tue Mar 14 12:41:29 1995|03/14/95|12:41:29|PM;=;=
# removes leading zeros;794394425;UTC;+%d %#d %#H %#M %e %#e;05 5 9 7  5 5;=;=
%s;795184889;UTC;+%s;795184889;=;=
zone name in UTC;795184889;UTC;+%z|%Z|%#Z;UTC|UTC|UTC;=;wine:UT|UT|UT
zone name in America/New_York;795184889;America/New_York;+%z|%Z|%#Z;EST|EST|EST;=;wine:Am|Am|Am
zone name in Asia/Kolkata;795184889;Asia/Kolkata;+%z|%Z|%#Z;IST|IST|IST;=;wine:As|As|As
zone name in Australia/Lord_Howe;795184889;Australia/Lord_Howe;+%z|%Z|%#Z;+1030|+1030|+1030;=;wine:Au|Au|Au
summer time in Lord Howe;1768435200;Australia/Lord_Howe;+%F %T %Z;2026-01-15 11:00:00 +11;=;wine:2026-01-15 00:00:00 Au
summer time in New York;805000000;America/New_York;+%F %T %Z;1995-07-05 23:06:40 EDT;=;wine:1995-07-06 04:06:40 ri
EST5EDT in January;1768478400;EST5EDT;+%F %T %Z;2026-01-15 07:00:00 EST;=;wine:2026-01-15 07:00:00 ES
EST5EDT in July;1784116800;EST5EDT;+%F %T %Z;2026-07-15 08:00:00 EDT;=;wine:2026-07-15 08:00:00 ED
CET-1CEST, no rules, in January;1768478400;CET-1CEST;+%F %T %Z;2026-01-15 13:00:00 CET;=;wine:2026-01-15 13:00:00 CE
W-SU, a zone file;1768478400;W-SU;+%F %T %Z;2026-01-15 15:00:00 MSK;=;wine:2026-01-15 12:00:00 W-
TZ empty;795184889;;+%F %T [%Z];1995-03-14 12:41:29 [UTC];=;~^1995-03-14 [0-9:]{8} \[.*\]$
TZ garbage;795184889;!!garbage!!;+%F %T [%Z];1995-03-14 12:41:29 [];=;wine:1995-03-14 12:41:29 [!!]
TZ a POSIX rule;795184889;EST5EDT,M3.2.0,M11.1.0;+%F %T [%Z];1995-03-14 08:41:29 [EDT];=;wine:1995-03-14 07:41:29 [ES]
TZ a zone file that does not exist;795184889;Nowhere/Nothing;+%F %T [%Z];1995-03-14 12:41:29 [Nowhere];1995-03-14 12:41:29 [Nowher];wine:1995-03-14 12:41:29 [No]
TZ a path that does not exist;795184889;:/nonexistent/zone;+%F %T [%Z];1995-03-14 12:41:29 [];=;wine:1995-03-14 12:41:29 [:/]
default line at 1800-01-01 00:00:00;-5364662400;UTC;-;Wed Jan  1 00:00:00 1800;=;$unconvertible
%s at 1800-01-01 00:00:00;-5364662400;UTC;+%s|%F %T;-5364662400|1800-01-01 00:00:00;=;$unconvertible
default line at 1900-01-01 00:00:00;-2208988800;UTC;-;Mon Jan  1 00:00:00 1900;=;$unconvertible
%s at 1900-01-01 00:00:00;-2208988800;UTC;+%s|%F %T;-2208988800|1900-01-01 00:00:00;=;$unconvertible
default line at 1969-12-31 23:59:59;-1;UTC;-;Wed Dec 31 23:59:59 1969;=;$unconvertible
%s at 1969-12-31 23:59:59;-1;UTC;+%s|%F %T;-1|1969-12-31 23:59:59;=;$unconvertible
default line at 1970-01-01 00:00:00;0;UTC;-;Thu Jan  1 00:00:00 1970;=;=
flags, widths and +;794394425;UTC;+%-H:%-M|%_d|%0e|%^a|%+5Y|%12F|%k|%P|%-5d;9:7| 5|05|SUN|+1995|  1995-03-05| 9|am|    5;=;=
default line at 2038-01-19 03:14:08;2147483648;UTC;-;Tue Jan 19 03:14:08 2038;=;=
%s at 2038-01-19 03:14:08;2147483648;UTC;+%s|%F %T;2147483648|2038-01-19 03:14:08;=;=
default line at 2040-02-29 12:00:00;2214129600;UTC;-;Wed Feb 29 12:00:00 2040;=;=
%s at 2040-02-29 12:00:00;2214129600;UTC;+%s|%F %T;2214129600|2040-02-29 12:00:00;=;=
the last second msvcrt converts;32535244799;UTC;-;Thu Jan  1 07:59:59 3001;=;=
and the next;32535244800;UTC;+%F %T;3001-01-01 08:00:00;=;$unconvertible
default line at 9999-12-31 23:59:59;253402300799;UTC;-;Fri Dec 31 23:59:59 9999;=;$unconvertible
%s at 9999-12-31 23:59:59;253402300799;UTC;+%s|%F %T;253402300799|9999-12-31 23:59:59;=;$unconvertible
year 10000;253402300800;UTC;+%s|%c|%C|%y|%G;253402300800|Sat Jan  1 00:00:00 10000|100|00|9999;=;$unconvertible
default line, year 10000;253402300800;UTC;-;Sat Jan  1 00:00:00 10000;=;$unconvertible
EOF

    # Whatever TZ holds, the program prints a line: the zone is the C library's business.
    # glibc keeps what it can of a zone it cannot find (the name up to a character it does
    # not take); musl takes UTC.
    local long_tz
    long_tz=$(printf 'A%.0s' $(seq 5000))
    run TSTAMP_TEST_CLOCK=795184889 TZ="$long_tz" -- "+%F %T [%Z]"
    check "TZ of 5000 characters: the line is cut at 248" 0 \
        "1995-03-14 12:41:29 [$(by_libc "${long_tz:0:227}" 'UTC]' 'AA]')"$'\n' ""
    run -u TZ TSTAMP_TEST_CLOCK=795184889 -- "+%F %T"
    check_match "TZ unset" '^1995-03-1[34] [0-9]{2}:[0-9]{2}:29$'
    # The launcher takes the program by any path that names it.
    local saved=$TSTAMP
    pushd "$(dirname "$TSTAMP")" >/dev/null || return
    TSTAMP=./${TSTAMP##*/}
    run TSTAMP_TEST_CLOCK=795184889 TZ=UTC -- +%s
    TSTAMP=$saved
    popd >/dev/null || return
    check "the program by a relative path" 0 $'795184889\n' ""
}

group_limits() {
    local x248 x249
    x248=$(printf 'x%.0s' {1..248})
    x249=${x248}y
    run -- "+$x248"
    check "248 characters print whole" 0 "$x248"$'\n' ""
    run -- "+$x249"
    check "249 characters are cut at 248" 0 "$x248"$'\n' ""
    # The conversion that makes byte 249, and a name and a number across the cut.
    run -- "+%%${x248:1}%%"
    check "249 characters from conversions are cut at 248" 0 "%${x248:1}"$'\n' ""
    run -- "+${x248:3}%B"
    check_match "a name across the cut" '^x{245}[A-Z][a-z]{2}$'
    run -- "+${x248:2}%Y"
    check_match "a number across the cut" '^x{246}[0-9]{2}$'
    # Windows limits a command line to 32767 characters.
    local pairs=51200
    [[ $platform == windows ]] && pairs=16000
    run -- "+$(printf 'ab%.0s' $(seq $pairs))"
    check "an operand of $((2 * pairs)) bytes" 0 "$(printf 'ab%.0s' {1..124})"$'\n' ""
    run -- $'+line one\nline two'
    check "newline inside FORMAT" 0 $'line one\nline two\n' ""
    if [[ $platform == windows ]]; then
        # Wine hands the program its operand in the ANSI code page (1252): the Unix side
        # spells 0x80 and 0xff as the UTF-8 of the characters they stand for there.
        run LANG=C.UTF-8 -- $'+\x01\x02\t\x1b[0m\x7f\xe2\x82\xac\xc3\xbf'
    else
        run -- $'+\x01\x02\t\x1b[0m\x7f\x80\xff'
    fi
    check "control and high bytes pass through" 0 $'\x01\x02\t\x1b[0m\x7f\x80\xff\n' ""
    run -- "+%q|%#q|%Ez|%5q|%+5d|100%"
    check "unknown sequences are copied" 0 $'%q|%#q|%Ez|%5q|%+5d|100%\n' ""
}

group_write_errors() {
    launch +ok >/dev/full 2>"$work/err" </dev/null
    status=$?
    : >"$work/out"
    check "standard output full" 1 "" $'tstamp: write error: No space left on device\n'
    launch +ok >&- 2>"$work/err" </dev/null
    status=$?
    check "standard output closed" 1 "" $'tstamp: write error: Bad file descriptor\n'
    # A pipe whose reader has gone. On Linux the default for a broken pipe ends the program
    # by the signal; with the signal ignored, the failed write is reported. The Windows
    # runtime has no such signal and reports the write.
    mkfifo "$work/fifo"
    # shellcheck disable=SC2094 # a FIFO opened for reading and writing, on purpose
    exec 5<>"$work/fifo" 6>"$work/fifo"
    exec 5<&-
    launch +ok >&6 2>"$work/err" </dev/null
    status=$?
    if [[ $platform == windows ]]; then
        check "pipe without a reader" 1 "" $'tstamp: write error: Invalid argument\n'
    else
        check "pipe without a reader" $((128 + 13)) "" ""
        (
            trap '' PIPE
            launch +ok >&6 2>"$work/err" </dev/null
        )
        status=$?
        check "pipe without a reader, signal ignored" 1 "" $'tstamp: write error: Broken pipe\n'
    fi
    # The rejection path keeps status 2 whatever happens to the usage text, its reader
    # gone included.
    launch -x >"$work/out" 2>&6 </dev/null
    status=$?
    : >"$work/err"
    check "standard error a pipe without a reader on the rejection path" 2 "" ""
    exec 6>&-
    launch -x >"$work/out" 2>/dev/full </dev/null
    status=$?
    : >"$work/err"
    check "standard error full on the rejection path" 2 "" ""
    launch -x >"$work/out" 2>&- </dev/null
    status=$?
    check "standard error closed on the rejection path" 2 "" ""
    launch -x >&- 2>"$work/err" </dev/null
    status=$?
    : >"$work/out"
    check "standard output closed on the rejection path" 2 "" @usage
    if [[ $platform == linux ]]; then
        # A terminal that has gone (its other end closed): the first write fails with EIO,
        # and only that write sees it.
        python3 -c 'import os, subprocess, sys
leader, follower = os.openpty()
os.close(leader)
sys.exit(subprocess.call(sys.argv[1:], stdout=follower))' \
            "$TSTAMP_LAUNCH" "$TSTAMP" +ok 2>"$work/err" </dev/null
        status=$?
        : >"$work/out"
        check "a terminal that has gone" 1 "" "tstamp: write error: $(by_libc Input/output I/O) error"$'\n'
    fi
}

group_real_clock() {
    local before after printed
    before=$EPOCHSECONDS
    run -- +%s
    # $EPOCHSECONDS may lag the clock the program reads (Wine reads a finer one) by a
    # tick: at a second's turn the program can be one second ahead of it.
    after=$((EPOCHSECONDS + 1))
    check_match "%s on the real clock" '^-?[0-9]+$'
    printed=$(tr -d '\r\n' <"$work/out")
    if ((printed < before || printed > after)); then
        fail "real clock" "printed $printed, outside [$before, $after]"
    else
        pass
    fi
}

group_clock() {
    run TSTAMP_TEST_CLOCK=trap -- --help
    check "rejection does not read the clock" 2 "" @usage
    run TSTAMP_TEST_CLOCK=trap -- +%Y +%m
    check "two operands do not read the clock" 2 "" @usage
    run TSTAMP_TEST_CLOCK=fail -- +%Y
    check "unreadable clock" 1 "" $'tstamp: cannot read the clock: Operation not permitted\n'
    run TSTAMP_TEST_CLOCK=fail --
    check "unreadable clock, default line" 1 "" $'tstamp: cannot read the clock: Operation not permitted\n'
    run TSTAMP_TEST_CLOCK=huge TZ=UTC -- +%Y
    check "no local time" 1 "" "tstamp: cannot convert the time to local time: $(by_libc \
        'Value too large for defined data type' 'Value too large for data type' 'Invalid argument')"$'\n'
}

group_hostile() {
    # Every byte value as the whole of FORMAT comes back unchanged ("%" alone is not a
    # sequence and is copied), and as a bare operand is rejected unless it is the plus sign.
    local byte char bad=0
    for byte in $(seq 1 255); do
        printf -v char '%b' "\\x$(printf %02x "$byte")"
        run -- "+$char"
        if [[ $status != 0 || -s $work/err ]] || ! cmp -s "$work/out" <(printf '%s\n' "$char"); then
            fail "byte $byte as FORMAT" "status $status"
            bad=1
        fi
        run -- "$char"
        if [[ $char == + ]]; then
            [[ $status == 0 ]] || { fail "byte $byte as an operand" "status $status"; bad=1; }
        elif [[ $status != 2 || -s $work/out ]] || ! cmp -s "$work/err" "$work/usage"; then
            fail "byte $byte as an operand" "status $status"
            bad=1
        fi
    done
    ((bad == 0)) && pass
    run -- "+$(printf '%%Y%.0s' $(seq 51200))"
    if [[ $status == 0 && $(wc -c <"$work/out") == 249 ]]; then pass; else
        fail "100 KB of conversions" "status $status, $(wc -c <"$work/out") bytes"
    fi
}

# A static build's zones against the release build's, on glibc, case by case: every zone
# name of tzdata and generated TZ values (tests/e2e/zones.py says how, and which differences
# may show: those README.md lists, each of which must show).
group_zones() {
    require TSTAMP_ZONE_CASES TSTAMP_REFERENCE_ZONE_CASES TSTAMP_REFERENCE_LAUNCH TSTAMP_SOURCE
    # The commands that run each build's zone_cases (many TZ values through the program's
    # own rendering, one process each), once for all the cases.
    local ours=() theirs=()
    mapfile -d '' ours < <("$TSTAMP_LAUNCH" --command "$TSTAMP_ZONE_CASES")
    mapfile -d '' theirs < <("$TSTAMP_REFERENCE_LAUNCH" --command "$TSTAMP_REFERENCE_ZONE_CASES")
    if ((${#ours[@]} == 0 || ${#theirs[@]} == 0)); then
        fail "the launchers" "no command from $TSTAMP_LAUNCH or $TSTAMP_REFERENCE_LAUNCH (is the reference built?)"
        return
    fi
    # Every zone name and TSTAMP_ZONES_VALUES generated values (at least 3,000), from the
    # seed TSTAMP_ZONES_SEED (random unless set; printed, so that a run can be replayed).
    local values=${TSTAMP_ZONES_VALUES:-3000}
    ((values >= 3000)) || fail "TSTAMP_ZONES_VALUES" "$values, fewer than 3000"
    if python3 "$TSTAMP_SOURCE/tests/e2e/zones.py" "$TSTAMP_SOURCE/README.md" \
        "${TSTAMP_ZONES_SEED:-random}" "$values" -- "${ours[@]}" -- "${theirs[@]}"; then
        pass
    else
        fail "zones" "see above"
    fi
}

# The static program in a root that holds nothing else: no C library, no zone files, no
# /etc/localtime; one zone file for one case.
group_empty_root() {
    local root=$work/root
    mkdir "$root"
    cp "$TSTAMP" "$root/tstamp"
    in_root() { TSTAMP=/tstamp run -u TZ TSTAMP_ROOT="$root" "$@"; } # as run, TZ unset
    in_root --
    check_match "the default line" '^[A-Z][a-z]{2} [A-Z][a-z]{2} [ 123][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4,}$'
    local before=$EPOCHSECONDS
    in_root -- "+%s %Z"
    check_match "a FORMAT, and UTC with no TZ and no /etc/localtime" '^[0-9]+ UTC$'
    local printed
    printed=$(cut -d ' ' -f 1 <"$work/out")
    if ((printed >= before && printed <= EPOCHSECONDS + 1)); then pass; else
        fail "the clock in the empty root" "printed $printed"
    fi
    in_root TZ=UTC -- "+%H:%M %Z"
    check_match "TZ=UTC" '^[0-9]{2}:[0-9]{2} UTC$'
    in_root TZ=Asia/Kolkata -- "+%Z"
    check "TZ a zone whose file is not there" 0 $'Asia\n' ""
    in_root TZ=EST5EDT TSTAMP_TEST_CLOCK=1768478400 -- "+%F %T %Z"
    check "EST5EDT without its zone file: the default rules, standard time in January" 0 \
        $'2026-01-15 07:00:00 EST\n' ""
    # glibc reads W-SU, without its file, as the name W: too short, so UTC with no name.
    in_root TZ=W-SU TSTAMP_TEST_CLOCK=1784116800 -- "+%F %T [%Z]"
    check "W-SU without its zone file: UTC, with no name" 0 $'2026-07-15 12:00:00 []\n' ""
    mkdir -p "$root/usr/share/zoneinfo/Asia"
    cp /usr/share/zoneinfo/Asia/Kolkata "$root/usr/share/zoneinfo/Asia/"
    in_root TZ=Asia/Kolkata -- "+%Z %z"
    check "TZ a zone with its file" 0 $'IST IST
' ""
    rm -r "${root:?}/usr"
    in_root -- -h
    check "a rejected command line" 2 "" @usage
}

group_windows() {
    # The runtime's start-up code expands wildcards into operands before main runs.
    mkdir "$work/glob"
    pushd "$work/glob" >/dev/null || return
    touch a.txt b.txt
    rejected "*.txt becomes two operands" "*.txt"
    rm a.txt b.txt
    touch +only.dat
    run -- "+*.dat"
    check "+*.dat becomes the one file's name" 0 $'only.dat\n' ""
    run -- "+*.nomatch"
    check "a pattern that matches nothing stays as typed" 0 $'*.nomatch\n' ""
    popd >/dev/null || return
    # Text mode: every newline is CR LF, on both streams.
    run --
    check_match "default line" '^[A-Z][a-z]{2} [A-Z][a-z]{2} [ 123][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}$'
    if [[ $(od -An -c "$work/out" | tr -s ' ') == *"\r \n \r \n" && $(wc -c <"$work/out") == 28 ]]; then pass; else
        fail "default line ends in two CR LF, 28 bytes" "$(wc -c <"$work/out") bytes"
    fi
    rejected "usage text" -x
    # Text mode, read off the program's bytes rather than the reference made for it: 40
    # lines, each ending in CR LF.
    if [[ $(grep -c $'\r$' "$work/err") == 40 && $(tr -d '\r' <"$work/err" | wc -c) == 1757 ]]; then pass; else
        fail "usage text: 40 lines ending in CR LF" "$(grep -c $'\r$' "$work/err") of $(wc -l <"$work/err")"
    fi
    # The manual's examples (the page of a Windows build), as Wine's Command Prompt runs
    # them: in a batch file, so each % written twice as the manual says, with the test-clock
    # copy of the program as the tstamp on the PATH, at the manual's instant and with TZ
    # UTC0 before each. Each prints what the manual says it prints.
    require TSTAMP_MAN TSTAMP_CLOCK_COPY
    mkdir "$work/bin"
    cp "$TSTAMP_CLOCK_COPY" "$work/bin/tstamp.exe"
    local examples=() wants=() output i
    mapfile -d '' -t examples < <(awk '/^\.SH EXAMPLES/ {on = 1; next} /^\.SH / {on = 0}
        on && /^\.B / {sub(/^\.B "?/, ""); sub(/"$/, ""); commands = commands $0 "\n"}
        on && /^\.RS/ {out = 1; next} on && /^\.RE/ {printf "%s\t%s%c", commands, text, 0; commands = text = ""; out = 0}
        on && out {text = text $0 "\n"}' "$TSTAMP_MAN" | sed -e 's/\\-/-/g' -e 's/\\(dq/"/g')
    ((${#examples[@]} > 0)) || fail "the manual's examples" "none found in $TSTAMP_MAN"
    {
        printf '@echo off\r\nset TSTAMP_TEST_CLOCK=795184889\r\n'
        for i in "${!examples[@]}"; do
            printf 'set TZ=UTC0\r\necho ==\r\n'
            printf '%s' "${examples[i]%%$'\t'*}" | sed 's/%/%%/g; s/$/\r/'
            wants[i]=${examples[i]#*$'\t'}
            wants[i]=${wants[i]/, and an empty line/$'\n'}
        done
    } >"$work/examples.cmd"
    output=$(cd "$work" && WINEPATH="Z:${work//\//\\}\\bin" "$TSTAMP_LAUNCH" cmd /c examples.cmd | tr -d '\r')
    local chunks=()
    mapfile -d $'\x1e' -t chunks < <(printf '%s\n' "$output" | awk 'BEGIN {RS = "==\n"; ORS = "\x1e"} NR > 1')
    for i in "${!examples[@]}"; do
        if [[ ${chunks[i]-} == "${wants[i]}" ]]; then pass; else
            fail "the manual's example ${examples[i]%%$'\t'*}" "printed '${chunks[i]-}'"
        fi
    done
}

run_group "${1:-}"
