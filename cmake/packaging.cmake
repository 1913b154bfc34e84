# SPDX-License-Identifier: MIT
# The Debian package, built by `cpack` from a Linux build: tstamp_<version>_<arch>.deb,
# for the architecture the build is for.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tstamp)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${tstamp_holder} <tstamp@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print the current local date and time")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "tstamp prints the current local date and time, in a fixed default form or as\n"
    "a +FORMAT operand says. FORMAT takes the C99 and POSIX conversion sequences in\n"
    "the C locale (%Y, %m, %d, %H, %M, %S, %c, %x ...), a # flag that removes\n"
    "leading zeros or selects long forms, and gives %z and %Z as zone names. The\n"
    "output is the same on every platform; failures are reported with exit status 1\n"
    "and a message.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
if(CMAKE_CROSSCOMPILING)
    # Debian's name for the architecture, from the toolchain file.
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${tstamp_debian_arch})
    # dpkg-shlibdeps needs the target's libc6 in the package database, and a cross
    # compiler's C library is not that (its package names libc6:<arch>, for the whole
    # library). The least libc6 is instead the newest GLIBC_ version that the program's
    # symbols ask for, read off the program when cpack runs: what Debian's symbols file
    # for libc6 gives for each of those symbols.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
    set(tstamp_program ${CMAKE_BINARY_DIR}/tstamp)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/cpack_libc_depends.cmake.in
        ${CMAKE_BINARY_DIR}/cpack_libc_depends.cmake @ONLY)
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/cpack_libc_depends.cmake)
else()
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
# The program, the compressed man page (not the plain one), the shell completions, and
# the documents Debian wants of every package: the copyright in its machine-readable form and the changelog.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL runtime man_compressed completion debian_doc)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)

# The documents a Debian package carries in usr/share/doc/tstamp (component debian_doc,
# in the package only): the copyright in Debian's machine-readable format, made from
# LICENSE, and the changelog in Debian's format, made from CHANGELOG.md and compressed as
# Debian wants (gzip -9n).
file(READ ${PROJECT_SOURCE_DIR}/LICENSE tstamp_license)
# The licence's own text starts at its grant; in the file every line is indented by one
# blank and an empty line is written " .".
string(FIND "${tstamp_license}" "Permission is hereby granted" tstamp_grant)
string(SUBSTRING "${tstamp_license}" ${tstamp_grant} -1 tstamp_license)
string(STRIP "${tstamp_license}" tstamp_license)
string(REPLACE "\n\n" "\n.\n" tstamp_license "${tstamp_license}")
string(REPLACE "\n" "\n " tstamp_license " ${tstamp_license}")
string(CONCAT debian_copyright
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
    "Upstream-Name: tstamp\n"
    "Upstream-Contact: ${CPACK_PACKAGE_CONTACT}\n"
    "\n"
    "Files: *\n"
    "Copyright: ${tstamp_copyright}\n"
    "License: Expat\n"
    "Comment: The program also holds parts of GCC's runtime libraries (libstdc++,\n"
    " libgcc), linked in under the GCC Runtime Library Exception.\n"
    "\n"
    "License: Expat\n"
    "${tstamp_license}\n")
file(WRITE ${CMAKE_BINARY_DIR}/debian/copyright "${debian_copyright}")

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
