# SPDX-License-Identifier: MIT
# The table of conversion sequences, completion/sequences.tsv, read once for everything made
# from it: the shell completions (completion/), the sequences the differential test and the
# fuzzer compare with the C library, and the fuzzer's dictionary (fuzz/). It sets
#   tstamp_plain_sequences, tstamp_plain_meanings  the rows without "#": %a ... %%
#   tstamp_alt_sequences, tstamp_alt_meanings      the rows of "#" forms: %#c ...
#   tstamp_e_conversions, tstamp_o_conversions     the conversions that C99 allows E (O)
#                                                  before, as one word: cCxXyY ...
#   tstamp_flag_<name>_sequences, _meanings        for each flag of the last column (names
#                                                  in tstamp_flag_names: minus, underscore,
#                                                  zero, caret), the sequences it changes
#                                                  with it (%-d ...) and what they yield
# and writes <build>/generated/sequences.h, for C++:
#   TSTAMP_PLAIN_SEQUENCES, TSTAMP_ALT_SEQUENCES   the sequences as string literals, with commas
#   TSTAMP_E_CONVERSIONS, TSTAMP_O_CONVERSIONS     those words as string literals
set(tstamp_sequence_table ${CMAKE_CURRENT_LIST_DIR}/../completion/sequences.tsv)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${tstamp_sequence_table})
file(STRINGS ${tstamp_sequence_table} tstamp_sequence_rows REGEX "^%")
foreach(kind plain alt)
    set(tstamp_${kind}_sequences "")
    set(tstamp_${kind}_meanings "")
endforeach()
set(tstamp_e_conversions "")
set(tstamp_o_conversions "")
# The flags of the last column, by name, and what each does to a sequence it changes.
set(tstamp_flag_names minus underscore zero caret)
set(tstamp_flag_name_- minus)
set(tstamp_flag_name__ underscore)
set(tstamp_flag_name_0 zero)
set(tstamp_flag_name_^ caret)
set(tstamp_flag_effect_- "without padding")
set(tstamp_flag_effect__ "padded with blanks")
set(tstamp_flag_effect_0 "padded with zeros")
set(tstamp_flag_effect_^ "in upper case")
foreach(name IN LISTS tstamp_flag_names)
    set(tstamp_flag_${name}_sequences "")
    set(tstamp_flag_${name}_meanings "")
endforeach()
foreach(row IN LISTS tstamp_sequence_rows)
    if(NOT row MATCHES "^(%#?(.))\t([^\t]+)(\t(E?O?))?(\t([-_0^]+))?$")
        message(FATAL_ERROR "completion/sequences.tsv: a row is a sequence, a tab, what it yields,"
            " E, O or EO after another tab where C99 allows the modifier, and the flags that change it"
            " after one more: '${row}'")
    endif()
    set(sequence "${CMAKE_MATCH_1}")
    set(conversion "${CMAKE_MATCH_2}")
    set(meaning "${CMAKE_MATCH_3}")
    set(modifiers "${CMAKE_MATCH_5}")
    set(flags "${CMAKE_MATCH_7}")
    if(flags AND sequence MATCHES "^%#")
        message(FATAL_ERROR "completion/sequences.tsv: a \"#\" form has no flag column: '${row}'")
    endif()
    foreach(flag IN ITEMS - _ 0 ^)
        string(FIND "${flags}" "${flag}" at)
        if(at GREATER -1)
            list(APPEND tstamp_flag_${tstamp_flag_name_${flag}}_sequences "%${flag}${conversion}")
            list(APPEND tstamp_flag_${tstamp_flag_name_${flag}}_meanings
                "${meaning}, ${tstamp_flag_effect_${flag}}")
        endif()
    endforeach()
    set(kind plain)
    if(sequence MATCHES "^%#")
        set(kind alt)
    endif()
    list(APPEND tstamp_${kind}_sequences "${sequence}")
    list(APPEND tstamp_${kind}_meanings "${meaning}")
    foreach(modifier E O)
        if(modifiers MATCHES ${modifier})
            string(TOLOWER ${modifier} lower)
            string(APPEND tstamp_${lower}_conversions "${conversion}")
        endif()
    endforeach()
endforeach()

set(header "// Made from completion/sequences.tsv when configuring (cmake/sequences.cmake).\n#pragma once\n")
foreach(kind plain alt)
    string(TOUPPER ${kind} name)
    list(TRANSFORM tstamp_${kind}_sequences PREPEND "\"" OUTPUT_VARIABLE quoted)
    list(TRANSFORM quoted APPEND "\"")
    list(JOIN quoted ", " quoted)
    string(APPEND header "#define TSTAMP_${name}_SEQUENCES ${quoted}\n")
endforeach()
string(APPEND header "#define TSTAMP_E_CONVERSIONS \"${tstamp_e_conversions}\"\n")
string(APPEND header "#define TSTAMP_O_CONVERSIONS \"${tstamp_o_conversions}\"\n")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/generated/sequences.h CONTENT "${header}" @ONLY)
