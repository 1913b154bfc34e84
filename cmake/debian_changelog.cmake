# SPDX-License-Identifier: MIT
# Writes Debian's changelog for the package from CHANGELOG.md: one entry for each
# "## <version> - <YYYY-MM-DD>" section, its "- " items as "  * " items.
# Usage: cmake -DCHANGELOG=CHANGELOG.md -DOUTPUT=changelog -DMAINTAINER="..." -P debian_changelog.cmake

# "Tue, 08 Dec 2026 00:00:00 +0000" for 2026-12-08 (the weekday by Sakamoto's method).
function(rfc2822_date iso out)
    string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" ignored "${iso}")
    set(year ${CMAKE_MATCH_1})
    math(EXPR month "${CMAKE_MATCH_2}") # no leading zero
    set(day ${CMAKE_MATCH_3})
    set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
    math(EXPR index "${month} - 1")
    list(GET offsets ${index} offset)
    set(y ${year})
    if(month LESS 3)
        math(EXPR y "${y} - 1")
    endif()
    math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
    set(weekdays Sun Mon Tue Wed Thu Fri Sat)
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(GET weekdays ${weekday} weekday_name)
    list(GET months ${index} month_name)
    set(${out} "${weekday_name}, ${day} ${month_name} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/changelog.cmake)
file(STRINGS "${CHANGELOG}" lines)
set(result "")
set(trailer "")
foreach(line IN LISTS lines)
    tstamp_changelog_heading("${line}" version iso_date)
    if(version)
        string(APPEND result "${trailer}tstamp (${version}) unstable; urgency=medium\n\n")
        rfc2822_date(${iso_date} date)
        set(trailer "\n -- ${MAINTAINER}  ${date}\n\n")
    elseif(trailer STREQUAL "" OR line STREQUAL "")
        # before the first version, or between paragraphs
    elseif(line MATCHES "^- (.*)$")
        string(APPEND result "  * ${CMAKE_MATCH_1}\n")
    else()
        string(APPEND result "  ${line}\n")
    endif()
endforeach()
string(REGEX REPLACE "\n\n$" "\n" result "${result}${trailer}")
file(WRITE "${OUTPUT}" "${result}")
