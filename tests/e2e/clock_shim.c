/* SPDX-License-Identifier: MIT */
/* Test-only stand-in for the C library's clock. TSTAMP_TEST_CLOCK selects what time() does:
     trap  - exit(99) at once: the run was not supposed to read the clock
     fail  - return -1 with errno EPERM: an unreadable clock
     huge  - return a value whose year does not fit the broken-down time
     N     - (a decimal integer, any sign) return the instant N: a frozen clock; -1 is one
             second before the Epoch, a real instant, as errno is left alone
   The shipped program never reads this variable; only this code does. It is linked into a
   test-only copy of the program, in one of two ways: on Linux with -Wl,--wrap
   (TSTAMP_CLOCK_WRAP), which sends the program's calls of time() here; for a Windows
   program, whose clock is a DLL's that --wrap does not reach, into a copy compiled to call
   tstamp_test_time (TSTAMP_TEST_CLOCK). On 32-bit glibc the program calls the 64-bit
   clock, __time64, which is wrapped too. */
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static time_t test_clock(time_t *out) {
    const char *mode = getenv("TSTAMP_TEST_CLOCK");
    time_t value = 0;
    if (mode == NULL || strcmp(mode, "trap") == 0) {
        _exit(99);
    } else if (strcmp(mode, "fail") == 0) {
        errno = EPERM;
        value = (time_t)-1;
    } else if (strcmp(mode, "huge") == 0) {
        value = (time_t)0x7fffffffffffffffLL;
    } else {
        char *end = NULL;
        const long long instant = strtoll(mode, &end, 10);
        if (end == mode || *end != '\0') {
            _exit(98); /* a mode this library does not know */
        }
        value = (time_t)instant;
    }
    if (out != NULL) {
        *out = value;
    }
    return value;
}

#if defined(TSTAMP_TEST_CLOCK)
/* The Windows test-clock copy calls this in place of the C library's clock. */
time_t tstamp_test_time(time_t *out);
time_t tstamp_test_time(time_t *out) {
    return test_clock(out);
}
#elif defined(TSTAMP_CLOCK_WRAP)
/* --wrap=NAME sends the program's calls of NAME to __wrap_NAME: the linker fixes these names. */
/* NOLINTBEGIN(readability-identifier-naming,bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp) */
time_t __wrap_time(time_t *out);
time_t __wrap___time64(time_t *out);
time_t __wrap_time(time_t *out) {
    return test_clock(out);
}
time_t __wrap___time64(time_t *out) {
    return test_clock(out);
}
/* NOLINTEND(readability-identifier-naming,bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp) */
#else
#error "the test clock is linked into a copy of the program: TSTAMP_CLOCK_WRAP or TSTAMP_TEST_CLOCK"
#endif
