# SPDX-License-Identifier: MIT
# How a test runs a program of this build. The build's launcher, <build>/run-on-target, is
# tests/run-on-target.sh.in with this build's facts filled in: the emulator or Wine, and
# the test stand-in for the clock. Tests use it through
#   tstamp_add_test(NAME <name> COMMAND <target> [ARG ...])
#       a test that runs a program of this build through the launcher;
#   tstamp_add_test(NAME <name> HOST COMMAND <command> [ARG ...])
#       a test that runs a host command (a script) which runs the program itself: its
#       environment holds TSTAMP (the program) and TSTAMP_LAUNCH (the launcher).
# ENVIRONMENT <NAME=value ...> adds to a test's environment in both forms. Paths may hold
# blanks: they are quoted here, once (a path with a single quote is not supported).

# tstamp_shell_quote(OUT WORD ...): the words, each in single quotes, for bash.
function(tstamp_shell_quote out)
    list(TRANSFORM ARGN PREPEND "'")
    list(TRANSFORM ARGN APPEND "'")
    list(JOIN ARGN " " joined)
    set(${out} "${joined}" PARENT_SCOPE)
endfunction()

# The facts the launcher template takes; empty where they do not apply.
tstamp_shell_quote(launcher_emulator ${CMAKE_CROSSCOMPILING_EMULATOR})
tstamp_shell_quote(launcher_tstamp $<TARGET_FILE:tstamp>)
# The test clock: a copy of the program linked with it (its targets are in tests/).
tstamp_shell_quote(launcher_test_clock_copy $<TARGET_FILE:tstamp_test_clock>)
set(launcher_drop_relocation_note 0)
set(launcher_wine_prefix "")
if(WIN32)
    tstamp_shell_quote(launcher_wine_prefix ${CMAKE_BINARY_DIR}/wineprefix)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(launcher_drop_relocation_note 1)
    endif()
endif()
configure_file(${PROJECT_SOURCE_DIR}/tests/run-on-target.sh.in run-on-target.in @ONLY)
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/run-on-target INPUT ${PROJECT_BINARY_DIR}/run-on-target.in
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
    # Every test waits for the prefix, made once before the first of them, and for its
    # wineserver, which lives until the last of them has ended.
    add_test(NAME wine_prefix COMMAND ${PROJECT_BINARY_DIR}/run-on-target --prepare)
    add_test(NAME wine_finish COMMAND ${PROJECT_BINARY_DIR}/run-on-target --finish)
    set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(wine_finish PROPERTIES FIXTURES_CLEANUP wine)
endif()

# What a release asks of a build (tools/release.sh): that its tests passed on the program it
# packs. The first test removes the stamp <build>/tests-passed; the last, which runs only
# when every test of tstamp_add_test has passed (each is a setup of the fixture it
# requires), writes the program's SHA-256 there. A run that fails, or that runs only some
# of the tests, leaves none; a program built anew no longer matches it.
add_test(NAME tests_started COMMAND ${CMAKE_COMMAND} -E rm -f ${PROJECT_BINARY_DIR}/tests-passed)
add_test(NAME tests_passed COMMAND bash -c [[sha256sum "$1" >"$2"]] tests_passed
    $<TARGET_FILE:tstamp> ${PROJECT_BINARY_DIR}/tests-passed)
set_tests_properties(tests_started PROPERTIES FIXTURES_SETUP started)
set_tests_properties(tests_passed PROPERTIES FIXTURES_REQUIRED "started;passed")

function(tstamp_add_test)
    cmake_parse_arguments(PARSE_ARGV 0 arg "HOST" "NAME" "COMMAND;ENVIRONMENT")
    set(launcher ${PROJECT_BINARY_DIR}/run-on-target)
    if(arg_HOST)
        add_test(NAME ${arg_NAME} COMMAND ${arg_COMMAND})
        set(environment TSTAMP=$<TARGET_FILE:tstamp> TSTAMP_LAUNCH=${launcher} ${arg_ENVIRONMENT})
    else()
        list(POP_FRONT arg_COMMAND program)
        add_test(NAME ${arg_NAME} COMMAND ${launcher} $<TARGET_FILE:${program}> ${arg_COMMAND})
        set(environment ${arg_ENVIRONMENT})
    endif()
    set(required started)
    if(WIN32)
        # After the Wine prefix is made, and one at a time: Wine's server for it is shared.
        list(APPEND required wine)
        set_tests_properties(${arg_NAME} PROPERTIES RUN_SERIAL TRUE)
    endif()
    # A program that hangs fails its test, not the whole run.
    set_tests_properties(${arg_NAME} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 600
        FIXTURES_REQUIRED "${required}" FIXTURES_SETUP passed)
endfunction()
