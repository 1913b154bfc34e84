# SPDX-License-Identifier: MIT
# How a test runs a program of this build: natively, under qemu-user or under Wine, and
# with the test stand-in for the clock when the test asks for it. Only this file knows.
#
# It writes the build's launcher, <build>/run-on-target:
#   run-on-target PROGRAM [ARGUMENT ...]   runs PROGRAM as this build's target runs it;
#                                          with TSTAMP_TEST_CLOCK set in the environment its
#                                          clock is the stand-in (tests/e2e/clock_shim.c);
#                                          with TSTAMP_ROOT set (Linux), in that folder as
#                                          the whole file system
#   run-on-target --prepare                makes what every run needs first (a Wine prefix)
# and defines
#   tstamp_add_test(NAME <name> COMMAND <target> [ARG ...])
#       a test that runs a program of this build through the launcher;
#   tstamp_add_test(NAME <name> HOST COMMAND <command> [ARG ...])
#       a test that runs a host command (a script) which runs the program itself: its
#       environment holds TSTAMP (the program) and TSTAMP_LAUNCH (the launcher).
# ENVIRONMENT <NAME=value ...> adds to a test's environment in both forms.
#
# Paths may hold blanks; they are quoted here, once. A path with a single quote is not
# supported.

set(tstamp_launcher ${PROJECT_BINARY_DIR}/run-on-target)

# 'value', for bash.
function(tstamp_shell_quote out)
    set(words "")
    foreach(word IN LISTS ARGN)
        list(APPEND words "'${word}'")
    endforeach()
    list(JOIN words " " joined)
    set(${out} "${joined}" PARENT_SCOPE)
endfunction()

set(tstamp_launcher_head [=[#!/usr/bin/env bash
# Written by CMake (cmake/program_tests.cmake) for the build in this folder.
# Usage: run-on-target PROGRAM [ARGUMENT ...] | run-on-target --prepare
set -u
]=])

if(WIN32)
    # The prefix is the build's own. Wine's notes and the two complaints of a machine
    # without a display stay off the program's standard error; its errors (a missing DLL
    # shows only there) stay on it.
    tstamp_shell_quote(loader ${CMAKE_CROSSCOMPILING_EMULATOR})
    tstamp_shell_quote(prefix ${CMAKE_BINARY_DIR}/wineprefix)
    string(CONCAT tstamp_launcher_body
        "loader=${loader}\n"
        "export WINEPREFIX=${prefix} WINELOADER=${loader}\n"
        [=[
prepare() { # once, and one run at a time
    (
        flock 9
        [[ -f $WINEPREFIX/system.reg ]] ||
            { WINEDEBUG=-all "$loader" wineboot --init && WINEDEBUG=-all /usr/lib/wine/wineserver -w; }
    ) 9>"$WINEPREFIX.lock"
}
if [[ ${1:-} == --prepare ]]; then
    prepare
    exit
fi
program=${1:?usage: run-on-target PROGRAM [ARGUMENT ...]}
shift
[[ -z ${TSTAMP_TEST_CLOCK+set} ]] || { echo "run-on-target: no test clock for Windows programs" >&2; exit 97; }
prepare || exit 96
export WINEDEBUG=fixme-all,err-winediag,err-systray
]=])
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        # Where 32-bit x86 programs run under qemu-i386 (binfmt_misc hands them over: see
        # tools/install-deps.sh), Wine's loader cannot put ntdll at its preferred address,
        # and says so on the program's standard error. The line is Wine's, not the
        # program's: it alone is taken out, wherever it comes (a chroot or a container
        # sees the host's binfmt_misc entry but not the folder that shows it).
        string(APPEND tstamp_launcher_body [=[
# Through a file, which leaves the program's standard output as it is, closed or not.
errors=$(mktemp)
"$loader" "$program" "$@" 2>"$errors"
status=$?
LC_ALL=C grep -av 'err:module:relocate_ntdll ntdll could not be mapped at preferred address' "$errors" >&2
rm -f "$errors"
exit $status
]=])
    endif()
    string(APPEND tstamp_launcher_body [=[exec "$loader" "$program" "$@"
]=])
else()
    tstamp_shell_quote(emulator ${CMAKE_CROSSCOMPILING_EMULATOR})
    string(CONCAT tstamp_launcher_body
        "emulator=(${emulator})\n"
        "[[ \${1:-} == --prepare ]] && exit 0\n"
        "program=\${1:?usage: run-on-target PROGRAM [ARGUMENT ...]}\n"
        "shift\n")
    if(TSTAMP_STATIC)
        # Nothing can be preloaded into a static program: the test clock is linked into a
        # copy of it instead, which runs in its place.
        add_executable(tstamp_test_clock $<TARGET_OBJECTS:tstamp_main> ${PROJECT_SOURCE_DIR}/tests/e2e/clock_shim.c)
        target_link_libraries(tstamp_test_clock PRIVATE tstamp_main)
        target_compile_definitions(tstamp_test_clock PRIVATE TSTAMP_CLOCK_WRAP)
        target_link_options(tstamp_test_clock PRIVATE -Wl,--wrap=time -Wl,--wrap=__time64)
        string(APPEND tstamp_launcher_body
            "if [[ -n \${TSTAMP_TEST_CLOCK+set} ]]; then\n"
            "    [[ $program == '$<TARGET_FILE:tstamp>' ]] || { echo \"run-on-target: the test clock is for $<TARGET_FILE_NAME:tstamp> only\" >&2; exit 97; }\n"
            "    program='$<TARGET_FILE:tstamp_test_clock>'\n"
            "fi\n")
    else()
        # The stand-in clock is preloaded into the program alone: under qemu it goes to the
        # guest through QEMU_SET_ENV, so that the host's loader of qemu itself does not try
        # it. LD_PRELOAD splits its list at blanks, so it names the library alone, and the
        # loader finds it through LD_LIBRARY_PATH, which does not.
        add_library(clock_shim MODULE ${PROJECT_SOURCE_DIR}/tests/e2e/clock_shim.c)
        target_link_libraries(clock_shim PRIVATE tstamp_warnings)
        set_target_properties(clock_shim PROPERTIES PREFIX "")
        set(preload "LD_PRELOAD=$<TARGET_FILE_NAME:clock_shim> LD_LIBRARY_PATH='$<TARGET_FILE_DIR:clock_shim>'")
        if(CMAKE_CROSSCOMPILING_EMULATOR)
            set(preload "QEMU_SET_ENV='LD_PRELOAD=$<TARGET_FILE_NAME:clock_shim>,LD_LIBRARY_PATH=$<TARGET_FILE_DIR:clock_shim>'")
        endif()
        string(APPEND tstamp_launcher_body "[[ -z \${TSTAMP_TEST_CLOCK+set} ]] || export ${preload}\n")
    endif()
    # TSTAMP_ROOT=DIR runs the program in DIR as its root, a folder with nothing else in it
    # (the program is given by its path there), under qemu with the emulator copied in
    # beside it (its static build, which needs nothing around it either). As root, by
    # chroot; otherwise in a user namespace of its own, which needs no privilege (and which
    # a chrooted process or a container's default seccomp profile is refused).
    string(APPEND tstamp_launcher_body [=[
if [[ -n ${TSTAMP_ROOT:-} ]]; then
    if ((${#emulator[@]})); then
        cp "/usr/bin/${emulator[0]}-static" "$TSTAMP_ROOT/.emulator" || exit 96
        emulator=(/.emulator)
    fi
    ((EUID == 0)) && exec chroot "$TSTAMP_ROOT" "${emulator[@]}" "$program" "$@"
    exec unshare --map-root-user --root="$TSTAMP_ROOT" "${emulator[@]}" "$program" "$@"
fi
]=])
    if(TSTAMP_SANITIZE)
        # The sanitizers' runtime tolerates the preloaded clock.
        string(APPEND tstamp_launcher_body "export ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0\n")
    endif()
    string(APPEND tstamp_launcher_body [=[exec "${emulator[@]}" "$program" "$@"
]=])
endif()

file(GENERATE OUTPUT ${tstamp_launcher} CONTENT "${tstamp_launcher_head}${tstamp_launcher_body}"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
    # Every test waits for the prefix, made once before the first of them.
    add_test(NAME wine_prefix COMMAND ${tstamp_launcher} --prepare)
    set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine)
endif()

function(tstamp_add_test)
    cmake_parse_arguments(PARSE_ARGV 0 arg "HOST" "NAME" "COMMAND;ENVIRONMENT")
    set(tstamp_launcher ${PROJECT_BINARY_DIR}/run-on-target)
    if(arg_HOST)
        add_test(NAME ${arg_NAME} COMMAND ${arg_COMMAND})
        set(environment TSTAMP=$<TARGET_FILE:tstamp> TSTAMP_LAUNCH=${tstamp_launcher} ${arg_ENVIRONMENT})
    else()
        list(POP_FRONT arg_COMMAND program)
        add_test(NAME ${arg_NAME} COMMAND ${tstamp_launcher} $<TARGET_FILE:${program}> ${arg_COMMAND})
        set(environment ${arg_ENVIRONMENT})
    endif()
    # A program that hangs fails its test rather than the whole run (the slowest test, the
    # 32-bit Windows one under qemu, takes about a minute).
    set_tests_properties(${arg_NAME} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 600)
    if(WIN32)
        set_tests_properties(${arg_NAME} PROPERTIES FIXTURES_REQUIRED wine)
    endif()
endfunction()
