# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034 # passed and failed are read by the scripts that source this
# What the test scripts share: tests/e2e/e2e.sh, tests/completion/completion_test.sh and
# tests/package/package_test.sh source this file, then call
#   require NAME ...     before anything else: the environment the script needs (ctest
#                        sets it); run without it, the script exits 2 and names what is missing
#   pass                 a check that held
#   fail NAME REASON     a check that did not, said in one line (a script may define its
#                        own fail that calls count_failure, to say more)
#   run_group GROUP      runs the script's function group_GROUP and prints the footer
#                        "GROUP: N passed, N failed", and ", N retried" when the launcher
#                        ran a program again after a start-up failure of Wine's own (each
#                        is named above it); an unknown group exits 2, and a group that
#                        failed a check, or checked nothing, fails
harness=${0##*/}
passed=0
failed=0

require() {
    local name missing=()
    for name in "$@"; do
        [[ -n ${!name:-} ]] || missing+=("$name")
    done
    ((${#missing[@]} == 0)) && return
    echo "$harness: needs ${missing[*]} in the environment (the build's ctest sets them)" >&2
    exit 2
}

pass() { passed=$((passed + 1)); }

count_failure() {
    failed=$((failed + 1))
    printf 'FAIL %s: %s\n' "$1" "$2"
}
fail() { count_failure "$@"; }

run_group() {
    declare -F "group_$1" >/dev/null || {
        echo "$harness: no group $1" >&2
        exit 2
    }
    # The launcher writes down each run it retried (tests/run-on-target.sh.in).
    local retries=${TSTAMP_LAUNCH:+${TSTAMP_LAUNCH%/*}/wine-retries.log} before=0 retried=0 note=""
    [[ -f $retries ]] && before=$(wc -l <"$retries")
    "group_$1"
    [[ -f $retries ]] && retried=$(($(wc -l <"$retries") - before))
    if ((retried > 0)); then
        tail -n "$retried" "$retries" | sed 's/^/retried after Wine failed to start: /'
        note=", $retried retried"
    fi
    printf '%s: %d passed, %d failed%s\n' "$1" "$passed" "$failed" "$note"
    ((failed == 0 && passed > 0))
}
