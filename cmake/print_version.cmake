# SPDX-License-Identifier: MIT
# Prints the version that project() in CMakeLists.txt gives, for the release scripts.
# Usage: cmake -P cmake/print_version.cmake
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../CMakeLists.txt version REGEX "^ +VERSION [0-9]+\\.[0-9]+\\.[0-9]+$")
if(NOT version)
    message(FATAL_ERROR "no VERSION line in project() of CMakeLists.txt")
endif()
string(STRIP "${version}" version)
string(REPLACE "VERSION " "" version "${version}")
execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${version}")
