# SPDX-License-Identifier: MIT
# The documents a Debian package carries in usr/share/doc/tstamp (component debian_doc,
# in the package only): the copyright in Debian's machine-readable format, made from
# LICENSE, and the changelog in Debian's format, made from CHANGELOG.md and compressed as
# Debian wants (gzip -9n).
file(READ ${PROJECT_SOURCE_DIR}/LICENSE tstamp_license)
# The licence's own text starts at its grant; in the file every line is indented by one
# blank and an empty line is written " .".
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" ignored "${tstamp_license}")
set(tstamp_holder "${CMAKE_MATCH_1}")
string(FIND "${tstamp_license}" "Permission is hereby granted" tstamp_grant)
string(SUBSTRING "${tstamp_license}" ${tstamp_grant} -1 tstamp_license)
string(STRIP "${tstamp_license}" tstamp_license)
string(REPLACE "\n\n" "\n.\n" tstamp_license "${tstamp_license}")
string(REPLACE "\n" "\n " tstamp_license " ${tstamp_license}")
string(CONCAT tstamp_copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: tstamp\n"
    "Upstream-Contact: ${CPACK_PACKAGE_CONTACT}\n"
    "\n"
    "Files: *\n"
    "Copyright: ${tstamp_holder}\n"
    "License: Expat\n"
    "Comment: The program also holds parts of GCC's runtime libraries (libstdc++,\n"
    " libgcc), linked in under the GCC Runtime Library Exception.\n"
    "\n"
    "License: Expat\n"
    "${tstamp_license}\n")
file(WRITE ${CMAKE_BINARY_DIR}/debian/copyright "${tstamp_copyright}")

add_custom_command(OUTPUT debian/changelog.gz
    COMMAND ${CMAKE_COMMAND} -DCHANGELOG=${PROJECT_SOURCE_DIR}/CHANGELOG.md -DOUTPUT=debian/changelog
        "-DMAINTAINER=${CPACK_PACKAGE_CONTACT}" -P ${CMAKE_CURRENT_LIST_DIR}/debian_changelog.cmake
    COMMAND gzip -9nf debian/changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${CMAKE_CURRENT_LIST_DIR}/debian_changelog.cmake
    COMMENT "Writing Debian's changelog from CHANGELOG.md"
    VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)

install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian_doc EXCLUDE_FROM_ALL)
