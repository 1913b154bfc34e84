# The Debian package, built by `cpack` from the release build: tstamp_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tstamp)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "tstamp developers <tstamp@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print the current local date and time")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "tstamp prints the current local date and time, in a fixed default form or as a\n"
    "+FORMAT operand says. FORMAT takes the C99 and POSIX conversion sequences in the C\n"
    "locale (%Y, %m, %d, %H, %M, %S, %c, %x ...), a # flag that removes leading zeros or\n"
    "selects long forms, and gives %z and %Z as zone names. The output is the same on\n"
    "every platform; failures are reported with exit status 1 and a message.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# One package holding the program and the compressed man page (not the plain one).
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL runtime man_compressed)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
