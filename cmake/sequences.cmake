# SPDX-License-Identifier: MIT
# The table of conversion sequences, completion/sequences.tsv, read once for everything made
# from it: the shell completions (completion/), the sequences the differential test and the
# fuzzer compare with the C library, and the fuzzer's dictionary (fuzz/). It sets
#   tstamp_plain_sequences, tstamp_plain_meanings  the rows without "#": %a ... %%
#   tstamp_alt_sequences, tstamp_alt_meanings      the rows of "#" forms: %#c ...
# and writes <build>/generated/sequences.h, for C++:
#   TSTAMP_PLAIN_SEQUENCES, TSTAMP_ALT_SEQUENCES   the sequences as string literals, with commas
set(tstamp_sequence_table ${CMAKE_CURRENT_LIST_DIR}/../completion/sequences.tsv)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${tstamp_sequence_table})
file(STRINGS ${tstamp_sequence_table} tstamp_sequence_rows REGEX "^%")
foreach(kind plain alt)
    set(tstamp_${kind}_sequences "")
    set(tstamp_${kind}_meanings "")
endforeach()
foreach(row IN LISTS tstamp_sequence_rows)
    string(REGEX MATCH "^([^\t]+)\t(.+)$" matched "${row}")
    set(sequence "${CMAKE_MATCH_1}")
    set(meaning "${CMAKE_MATCH_2}")
    set(kind plain)
    if(sequence MATCHES "^%#")
        set(kind alt)
    endif()
    list(APPEND tstamp_${kind}_sequences "${sequence}")
    list(APPEND tstamp_${kind}_meanings "${meaning}")
endforeach()

set(header "// Made from completion/sequences.tsv when configuring (cmake/sequences.cmake).\n#pragma once\n")
foreach(kind plain alt)
    string(TOUPPER ${kind} name)
    list(TRANSFORM tstamp_${kind}_sequences PREPEND "\"" OUTPUT_VARIABLE quoted)
    list(TRANSFORM quoted APPEND "\"")
    list(JOIN quoted ", " quoted)
    string(APPEND header "#define TSTAMP_${name}_SEQUENCES ${quoted}\n")
endforeach()
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/generated/sequences.h CONTENT "${header}" @ONLY)
