# SPDX-License-Identifier: MIT
# The version and CHANGELOG.md, read here and nowhere else. A release's section is headed
# "## <version> - <YYYY-MM-DD>" and holds "- " items; "## Unreleased" holds what waits for
# the next release.
#
# As a script, for the release scripts:
#   cmake -P cmake/changelog.cmake
#       prints "<version> <date>": the version of project() in CMakeLists.txt and the date
#       of its section; fails when there is no such section
#   cmake -DRELEASE=ON -P cmake/changelog.cmake
#       the same, and fails unless that section is the first one, and nothing waits
#       unreleased: no line of text under an Unreleased heading in any spelling
#       ("## Unreleased", "## [Unreleased]" ...), whether its items start with "- " or "* "
# Included (man/CMakeLists.txt, cmake/debian_changelog.cmake), it defines:
#   tstamp_changelog_heading(LINE VERSION DATE)
#       VERSION and DATE of LINE when it heads a release's section; both empty otherwise
#   tstamp_release_date(CHANGELOG VERSION OUT)
#       the date of VERSION's section of the file CHANGELOG, or a configure error

function(tstamp_changelog_heading line version date)
    if(line MATCHES "^## ([0-9]+\\.[0-9]+\\.[0-9]+) - ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])$")
        set(${version} ${CMAKE_MATCH_1} PARENT_SCOPE)
        set(${date} ${CMAKE_MATCH_2} PARENT_SCOPE)
    else()
        set(${version} "" PARENT_SCOPE)
        set(${date} "" PARENT_SCOPE)
    endif()
endfunction()

function(tstamp_release_date changelog version out)
    file(STRINGS "${changelog}" lines REGEX "^## ")
    foreach(line IN LISTS lines)
        tstamp_changelog_heading("${line}" this date)
        if(this STREQUAL version)
            set(${out} ${date} PARENT_SCOPE)
            return()
        endif()
    endforeach()
    message(FATAL_ERROR "CHANGELOG.md has no section \"## ${version} - <YYYY-MM-DD>\"")
endfunction()

if(NOT CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    return()
endif()

# As a script.
set(top ${CMAKE_CURRENT_LIST_DIR}/..)
file(STRINGS ${top}/CMakeLists.txt version REGEX "^ +VERSION [0-9]+\\.[0-9]+\\.[0-9]+$")
if(NOT version)
    message(FATAL_ERROR "no VERSION line in project() of CMakeLists.txt")
endif()
string(STRIP "${version}" version)
string(REPLACE "VERSION " "" version "${version}")
tstamp_release_date(${top}/CHANGELOG.md ${version} date)

if(RELEASE)
    file(STRINGS ${top}/CHANGELOG.md lines)
    set(first "")
    set(waiting "")
    set(unreleased OFF)
    foreach(line IN LISTS lines)
        if(line MATCHES "^## ")
            string(TOLOWER "${line}" heading)
            string(REGEX MATCH "^## *\\[?unreleased\\]?" unreleased "${heading}")
            if(NOT unreleased AND first STREQUAL "")
                set(first "${line}")
            endif()
        elseif(unreleased AND line MATCHES "[^ ]")
            list(APPEND waiting "${line}")
        endif()
    endforeach()
    tstamp_changelog_heading("${first}" first_version first_date)
    if(NOT first_version STREQUAL version)
        message(FATAL_ERROR "the first version in CHANGELOG.md is '${first}', not '## ${version} - <date>'")
    endif()
    if(waiting)
        list(GET waiting 0 entry)
        message(FATAL_ERROR "CHANGELOG.md has entries under Unreleased ('${entry}' ...); release them as ${version} first")
    endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${version} ${date}")
