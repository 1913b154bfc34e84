# SPDX-License-Identifier: MIT
# Prints the project's targets, one line each, from the facts their toolchain files hold:
#   <preset> <artifact> [<package> ...]
# <preset> is the configure preset of the target (the one that takes
# cmake/toolchain-<preset>.cmake; the release preset for the machine's own architecture),
# <artifact> the word tools/release.sh knows its release artifact by, and the packages are
# the Debian packages that building and testing it need beyond the native build's.
# Usage: cmake -P cmake/targets.cmake
set(tstamp_facts_only ON)
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE host OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E echo "release ${host}")
file(GLOB toolchains ${CMAKE_CURRENT_LIST_DIR}/toolchain-*.cmake)
foreach(toolchain IN LISTS toolchains)
    unset(tstamp_artifact)
    unset(tstamp_packages)
    include(${toolchain})
    string(REGEX REPLACE "^.*/toolchain-(.*)\\.cmake$" "\\1" preset "${toolchain}")
    if(NOT tstamp_artifact)
        message(FATAL_ERROR "${toolchain} names no artifact")
    endif()
    list(JOIN tstamp_packages " " packages)
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${preset} ${tstamp_artifact} ${packages}")
endforeach()
