# SPDX-License-Identifier: MIT
# The Debian package, built by `cpack` from a Linux build: tstamp_<version>_<arch>.deb,
# for the architecture the build is for.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tstamp)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The tstamp developers <tstamp@example.invalid>")
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
    # Debian's name for the architecture of the cross compiler.
    set(debian_architectures i686 i386 armv7l armhf aarch64 arm64 s390x s390x ppc64le ppc64el riscv64 riscv64)
    list(FIND debian_architectures ${CMAKE_SYSTEM_PROCESSOR} processor_index)
    if(processor_index LESS 0)
        message(FATAL_ERROR "No Debian architecture for ${CMAKE_SYSTEM_PROCESSOR}")
    endif()
    math(EXPR processor_index "${processor_index} + 1")
    list(GET debian_architectures ${processor_index} CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
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
