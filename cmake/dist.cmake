# SPDX-License-Identifier: MIT
# What tools/release.sh ships. `release_files` builds it all. A Linux build's Debian
# package is cpack's (packaging.cmake); a static Linux build and a Windows build each
# install one archive's folder, tstamp-<version>-<artifact>/, as component dist, which
# release.sh packs as it is:
#   static Linux  the program, its man page, the completions, LICENSE, a README, and NOTICE:
#                 the C library linked in, with that library's copyright (musl) or licence
#   Windows       tstamp.exe, and LICENSE, README.txt and tstamp.html with CR LF line ends;
#                 the installer (tools/msi.sh) holds the same folder
add_custom_target(release_files)
add_dependencies(release_files tstamp man_page)
if(TARGET debian_changelog)
    add_dependencies(release_files debian_changelog)
endif()
if(NOT (WIN32 OR TSTAMP_STATIC) OR NOT tstamp_artifact)
    return()
endif()
set(folder tstamp-${PROJECT_VERSION}-${tstamp_artifact})
install(TARGETS tstamp RUNTIME DESTINATION ${folder} COMPONENT dist EXCLUDE_FROM_ALL)

if(WIN32)
    math(EXPR tstamp_bits "${CMAKE_SIZEOF_VOID_P} * 8")
    set(tstamp_bits ${tstamp_bits}-bit)
    configure_file(LICENSE dist/LICENSE @ONLY NEWLINE_STYLE CRLF)
    configure_file(packaging/README-windows.txt dist/README.txt @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${CMAKE_BINARY_DIR}/dist/LICENSE ${CMAKE_BINARY_DIR}/dist/README.txt
        ${CMAKE_BINARY_DIR}/man/tstamp.html DESTINATION ${folder} COMPONENT dist EXCLUDE_FROM_ALL)
    # The installer's source, for tools/msi.sh, which packs that same folder: this
    # architecture's upgrade code, Program Files folder, and its one component's code, made
    # from the upgrade code so that it is the same in every version.
    if(tstamp_bits STREQUAL "64-bit")
        set(tstamp_program_files ProgramFiles64Folder)
        set(tstamp_win64 yes)
    else()
        set(tstamp_program_files ProgramFilesFolder)
        set(tstamp_win64 no)
    endif()
    string(UUID tstamp_msi_component NAMESPACE ${tstamp_msi_upgrade_code} NAME files TYPE SHA1 UPPER)
    configure_file(packaging/tstamp.wxs.in dist/tstamp.wxs @ONLY)
    return()
endif()

# The C library inside the program, as Debian packages it: musl-dev for the architecture,
# or glibc's development package (riscv64, which Debian 12 has no musl for).
if(tstamp_on_glibc)
    set(tstamp_libc glibc)
    set(libc_package libc6-dev-${tstamp_debian_arch}-cross)
    if(NOT CMAKE_CROSSCOMPILING)
        set(libc_package libc6-dev)
    endif()
    set(libc_licence /usr/share/common-licenses/LGPL-2.1)
    set(libc_licence_name LICENSE.LGPL-2.1)
else()
    set(tstamp_libc musl)
    set(libc_package musl-dev:${tstamp_debian_arch})
    set(libc_licence /usr/share/doc/musl-dev/copyright)
    set(libc_licence_name COPYRIGHT.musl)
endif()
execute_process(COMMAND dpkg-query -W -f=\${Version}|\${source:Package}|\${source:Version}
    ${libc_package} OUTPUT_VARIABLE libc COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "|" ";" libc "${libc}")
list(GET libc 0 libc_version)
list(GET libc 1 libc_source)
list(GET libc 2 libc_source_version)
string(REGEX REPLACE "-[^-]*$" "" libc_upstream "${libc_version}")
# The template's first line is its licence tag, not part of the NOTICE.
file(READ packaging/NOTICE-${tstamp_libc}.in notice)
string(FIND "${notice}" "\n" tag_end)
math(EXPR tag_end "${tag_end} + 1")
string(SUBSTRING "${notice}" ${tag_end} -1 notice)
string(CONFIGURE "${notice}" notice @ONLY)
file(WRITE ${CMAKE_BINARY_DIR}/dist/NOTICE "${notice}")
configure_file(packaging/README-linux.txt dist/README @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/man/tstamp.1 LICENSE ${CMAKE_BINARY_DIR}/dist/NOTICE ${CMAKE_BINARY_DIR}/dist/README
    DESTINATION ${folder} COMPONENT dist EXCLUDE_FROM_ALL)
install(FILES ${libc_licence} RENAME ${libc_licence_name} DESTINATION ${folder} COMPONENT dist EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_BINARY_DIR}/completion/tstamp.bash ${CMAKE_BINARY_DIR}/completion/_tstamp
    ${CMAKE_BINARY_DIR}/completion/tstamp.fish DESTINATION ${folder}/completion COMPONENT dist EXCLUDE_FROM_ALL)
