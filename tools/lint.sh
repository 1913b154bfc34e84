#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The layout check and static analysis of everything the project owns; any finding fails:
# clang-format reads every C and C++ file; clang-tidy and cppcheck every one the builds
# compile (src, tests, fuzz, bench), from the compile database of the fuzz preset (clang's)
# with the benchmarks, configured in a scratch folder; ShellCheck every shell script (tools,
# tests, bench, .ci/run, the launcher template) and the bash completion as built; zsh and
# fish read their completions and the zsh test helper without running them.
set -euo pipefail
cd "$(dirname "$0")/.."
# none(WHAT COUNT): a list that found nothing fails, rather than a check of nothing passing.
none() { (($2 > 0)) || { echo "lint: no $1 found"; exit 1; }; }
mapfile -t sources < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' '*.c')
none "C or C++ file" "${#sources[@]}"
echo "clang-format: ${#sources[@]} files"
clang-format --dry-run -Werror "${sources[@]}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --preset fuzz -B "$work" -DTSTAMP_BUILD_BENCHMARKS=ON >/dev/null
mapfile -t compiled < <(python3 -c 'import json, os, sys
for entry in json.load(open(sys.argv[1])):
    print(os.path.relpath(entry["file"]))' "$work/compile_commands.json" | sort -u)
none "file in the compile database" "${#compiled[@]}"
echo "clang-tidy: ${#compiled[@]} files"
# Its count of warnings suppressed in system headers goes to standard error; shown on failure.
clang-tidy --quiet -p "$work" "${compiled[@]}" 2>"$work/clang-tidy.log" || {
    cat "$work/clang-tidy.log"
    exit 1
}
# useStlAlgorithm is a matter of taste for the loops it names.
echo "cppcheck: src tests fuzz bench"
cppcheck --enable=warning,style,performance,portability --std=c++17 --error-exitcode=1 --inline-suppr --quiet \
    --suppress=useStlAlgorithm --library=googletest -I src -I "$work/generated" src tests fuzz bench
mapfile -t scripts < <(git ls-files -co --exclude-standard -- '*.sh' '*.sh.in' .ci/run)
none "script" "${#scripts[@]}"
echo "shellcheck: ${#scripts[@]} scripts and the bash completion"
shellcheck -x "${scripts[@]}"
shellcheck --shell=bash "$work/completion/tstamp.bash"
echo "zsh -n, fish --no-execute: the completions, tests/completion/zsh_list.zsh"
zsh -n "$work/completion/_tstamp" tests/completion/zsh_list.zsh
fish --no-execute "$work/completion/tstamp.fish"
echo "lint: clean"
