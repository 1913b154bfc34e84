# SPDX-License-Identifier: MIT
# Prints the project's targets, one line each, from the facts their toolchain files hold:
#   <preset> <artifact> <kind> [<package> ...]
# <preset> is the configure preset of the target (the one that takes
# cmake/toolchain-<preset>.cmake; the release preset for the machine's own architecture),
# <artifact> the word tools/release.sh knows its release artifact by, <kind> what that
# artifact is (deb, tarball, zip or msi), and the packages are the Debian packages that building
# and testing it need beyond the native build's.
#
# First it checks that the targets and CMakePresets.json agree, and fails naming each place
# where they do not: a toolchain file without its configure, build, test and workflow
# presets (tools/test.sh runs the workflows) or, for a Debian package, its package preset;
# a preset that takes a toolchain file that is not there; two targets with one artifact.
# tools/install-deps.sh, tools/test.sh, tools/release.sh and tools/check-release.sh all
# start here, so a target half added stops each of them.
# Usage: cmake -P cmake/targets.cmake
cmake_minimum_required(VERSION 3.25)
set(tstamp_facts_only ON)
file(READ ${CMAKE_CURRENT_LIST_DIR}/../CMakePresets.json presets)
set(problems "")

# preset_names(KIND OUT): the names of the presets of KIND (configurePresets ...) that
# are not hidden.
function(preset_names kind out)
    string(JSON count LENGTH "${presets}" ${kind})
    math(EXPR last "${count} - 1")
    set(names "")
    foreach(i RANGE ${last})
        string(JSON name GET "${presets}" ${kind} ${i} name)
        string(JSON hidden ERROR_VARIABLE absent GET "${presets}" ${kind} ${i} hidden)
        if(NOT hidden)
            list(APPEND names ${name})
        endif()
    endforeach()
    set(${out} ${names} PARENT_SCOPE)
endfunction()

# takes_toolchain(NAME OUT): whether configure preset NAME, or one it inherits, names a
# toolchain file.
function(takes_toolchain name out)
    set(${out} OFF PARENT_SCOPE)
    string(JSON count LENGTH "${presets}" configurePresets)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
        string(JSON this GET "${presets}" configurePresets ${i} name)
        if(NOT this STREQUAL name)
            continue()
        endif()
        string(JSON file ERROR_VARIABLE absent GET "${presets}" configurePresets ${i} toolchainFile)
        string(JSON parents ERROR_VARIABLE absent GET "${presets}" configurePresets ${i} inherits)
        if(NOT absent AND parents MATCHES "^\\[")
            string(REGEX MATCHALL "\"[^\"]+\"" parents "${parents}")
            string(REPLACE "\"" "" parents "${parents}")
        endif()
        if(file)
            set(${out} ON PARENT_SCOPE)
            return()
        endif()
        foreach(parent IN LISTS parents)
            takes_toolchain(${parent} inherited)
            if(inherited)
                set(${out} ON PARENT_SCOPE)
                return()
            endif()
        endforeach()
    endforeach()
endfunction()

foreach(kind configure build test workflow package)
    preset_names(${kind}Presets ${kind}_presets)
endforeach()

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE host OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
set(lines "release ${host} deb")
set(artifacts ${host})
if(NOT "release" IN_LIST package_presets)
    list(APPEND problems "the release preset, whose artifact is a Debian package, has no package preset")
endif()

file(GLOB toolchains ${CMAKE_CURRENT_LIST_DIR}/toolchain-*.cmake)
set(toolchain_presets "")
foreach(toolchain IN LISTS toolchains)
    foreach(fact arch artifact artifact_kind installer packages)
        unset(tstamp_${fact})
    endforeach()
    include(${toolchain})
    string(REGEX REPLACE "^.*/toolchain-(.*)\\.cmake$" "\\1" preset "${toolchain}")
    list(APPEND toolchain_presets ${preset})
    if(NOT tstamp_artifact OR NOT tstamp_artifact_kind)
        list(APPEND problems "cmake/toolchain-${preset}.cmake names no artifact and its kind")
    elseif(tstamp_artifact IN_LIST artifacts)
        list(APPEND problems "two targets make the artifact '${tstamp_artifact}', one of them ${preset}")
    endif()
    list(APPEND artifacts ${tstamp_artifact})
    set(wanted configure build test workflow)
    if(tstamp_artifact_kind STREQUAL "deb")
        list(APPEND wanted package)
    endif()
    foreach(kind IN LISTS wanted)
        if(NOT preset IN_LIST ${kind}_presets)
            list(APPEND problems "cmake/toolchain-${preset}.cmake has no ${kind} preset '${preset}' in CMakePresets.json")
        endif()
    endforeach()
    list(JOIN tstamp_packages " " packages)
    list(APPEND lines "${preset} ${tstamp_artifact} ${tstamp_artifact_kind} ${packages}")
    # A Windows target's installer: a second artifact of the same build.
    if(tstamp_installer)
        if(tstamp_installer IN_LIST artifacts)
            list(APPEND problems "two targets make the artifact '${tstamp_installer}', one of them ${preset}")
        endif()
        list(APPEND artifacts ${tstamp_installer})
        list(APPEND lines "${preset} ${tstamp_installer} msi ${packages}")
    endif()
endforeach()

foreach(preset IN LISTS configure_presets)
    takes_toolchain(${preset} cross)
    if(cross AND NOT preset IN_LIST toolchain_presets)
        list(APPEND problems "the configure preset '${preset}' takes cmake/toolchain-${preset}.cmake, which is not there")
    endif()
endforeach()

if(problems)
    list(JOIN problems "\n  " problems)
    message(FATAL_ERROR "the targets and CMakePresets.json disagree:\n  ${problems}")
endif()
foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${line}")
endforeach()
