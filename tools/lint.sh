#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The layout check (clang-format) and static analysis (clang-tidy, cppcheck, and shellcheck
# of the launcher template, the test harness and the tools): any finding fails. clang-tidy
# reads the compile database of the fuzz preset (clang's), configured in a scratch folder.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' '*.c')
echo "clang-format: ${#sources[@]} files"
clang-format --dry-run -Werror "${sources[@]}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --preset fuzz -B "$work" >/dev/null
echo "clang-tidy: src fuzz"
# Its count of warnings suppressed in system headers goes to standard error; shown on failure.
clang-tidy --quiet -p "$work" src/*.cpp fuzz/*.cpp 2>"$work/clang-tidy.log" || {
    cat "$work/clang-tidy.log"
    exit 1
}
# useStlAlgorithm is a matter of taste for the two loops it names.
echo "cppcheck: src fuzz"
cppcheck --enable=warning,style,performance,portability --std=c++17 --error-exitcode=1 \
    --inline-suppr --quiet --suppress=useStlAlgorithm -I src src fuzz
# The launcher template, which CMake fills in for each build, the harness and the tools.
echo "shellcheck: tests/run-on-target.sh.in tests/harness.sh tools/*.sh"
shellcheck tests/run-on-target.sh.in tests/harness.sh tools/*.sh
echo "lint: clean"
