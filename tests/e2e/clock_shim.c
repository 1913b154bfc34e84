/* SPDX-License-Identifier: MIT */
/* Test-only stand-in for the C library's clock. TSTAMP_TEST_CLOCK selects what time() does:
     trap      - exit(99) at once: the run was not supposed to read the clock
     fail      - return -1 with errno EPERM: an unreadable clock
     minus_one - return -1 with errno untouched: one second before the Epoch, a real instant
     huge      - return a value whose year does not fit the broken-down time
     N         - (a decimal integer, any sign) return the instant N: a frozen clock
   The shipped program never reads this variable; only this code does. It reaches the
   program in one of three ways: preloaded into a dynamically linked program, as a library
   that defines time(); for a statically linked program, which nothing can be preloaded
   into, linked into a test-only copy of it with -Wl,--wrap (TSTAMP_CLOCK_WRAP), which sends
   the program's calls of time() here; for a Windows program, whose clock is a DLL's that
   --wrap does not reach, linked into a test-only copy compiled to call tstamp_test_time
   (TSTAMP_TEST_CLOCK). Built with the program's own flags, so on 32-bit glibc it replaces
   the 64-bit clock the program calls (__time64). */
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
    } else if (strcmp(mode, "minus_one") == 0) {
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
time_t __wrap_time(time_t *out);
time_t __wrap___time64(time_t *out);
time_t __wrap_time(time_t *out) {
    return test_clock(out);
}
time_t __wrap___time64(time_t *out) {
    return test_clock(out);
}
#else
/* The C library's declaration names the parameter with a reserved name (__timer). */
/* NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name) */
time_t time(time_t *out) {
    return test_clock(out);
}
#endif
