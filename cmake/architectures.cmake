# SPDX-License-Identifier: MIT
# The Linux architectures, one row each: every fact of an architecture, written once. Its
# two toolchain files (toolchain-linux-<arch>.cmake, toolchain-static-<arch>.cmake) name
# the architecture and read the rest here, as the native build does for the machine's own.
#   arch       Debian's name for it
#   triplet    the GNU triplet of Debian's compiler for it
#   processor  CMAKE_SYSTEM_PROCESSOR
#   qemu       the qemu-user program that runs its programs ("-": the machine's own)
#   musl       musl's name for it: /usr/lib/<musl> holds musl-dev's files ("-": Debian 12
#              has no musl there, and its static program links glibc)
#   imports    what its dynamic program may import beyond every architecture's share
#              (tstamp_common_imports): the clock (the 64-bit one on 32-bit glibc), and
#              what glibc's start code (abort) and GCC's helpers (raise) call there, or where
#              the stack protector's guard lives
#   marks      the control-flow note that every object of the program's own carries
#              (readelf -n), "-" where the architecture has none
#   entry      the instructions that each of its functions may start with ("-": nothing
#              to check)
# tools/check-binary.sh holds each program to the last three, through the test "binary".
set(tstamp_common_imports __libc_start_main __errno_location __stack_chk_fail fclose fputs signal strerror stdout stderr)
set(tstamp_architecture_table [[
amd64   | x86_64-linux-gnu      | x86_64  | -            | x86_64-linux-musl      | time localtime_r                                        | x86 feature: IBT, SHSTK   | endbr64
i386    | i686-linux-gnu        | i686    | qemu-i386    | i386-linux-musl        | __time64 __localtime64_r                                | x86 feature: IBT, SHSTK   | endbr32
armhf   | arm-linux-gnueabihf   | armv7l  | qemu-arm     | arm-linux-musleabihf   | __time64 __localtime64_r __stack_chk_guard abort raise  | -                         | -
arm64   | aarch64-linux-gnu     | aarch64 | qemu-aarch64 | aarch64-linux-musl     | time localtime_r __stack_chk_guard abort                | AArch64 feature: BTI, PAC | paciasp bti
s390x   | s390x-linux-gnu       | s390x   | qemu-s390x   | s390x-linux-musl       | time localtime_r                                        | -                         | -
ppc64el | powerpc64le-linux-gnu | ppc64le | qemu-ppc64le | powerpc64le-linux-musl | time localtime_r                                        | -                         | -
riscv64 | riscv64-linux-gnu     | riscv64 | qemu-riscv64 | -                      | time localtime_r __stack_chk_guard                      | -                         | -
]])

# tstamp_architecture(COLUMN VALUE): the facts of the row whose COLUMN (arch or processor)
# is VALUE, as tstamp_debian_arch, tstamp_triplet, tstamp_processor, tstamp_qemu,
# tstamp_musl (empty for "-"), tstamp_imports (a list, the common share included),
# tstamp_marks and tstamp_entry ("-" kept: none, said so), and tstamp_compiler_package,
# Debian's cross compiler for the triplet (empty for the machine's own). A missing row, or
# one with a column missing, is an error that names it.
function(tstamp_architecture column value)
    set(columns arch triplet processor qemu musl imports marks entry)
    list(FIND columns ${column} wanted)
    string(REPLACE "\n" ";" rows "${tstamp_architecture_table}")
    foreach(row IN LISTS rows)
        string(REPLACE "|" ";" fields "${row}")
        list(TRANSFORM fields STRIP)
        list(LENGTH fields count)
        if(count GREATER wanted)
            list(GET fields ${wanted} key)
            if(key STREQUAL value)
                break()
            endif()
        endif()
        set(fields "")
    endforeach()
    list(LENGTH fields count)
    if(NOT count EQUAL 8)
        message(FATAL_ERROR "cmake/architectures.cmake has no row whose ${column} is '${value}' with all 8 columns"
            " (arch, triplet, processor, qemu, musl, imports, marks, entry); a target needs every fact of its architecture")
    endif()
    list(POP_FRONT fields debian_arch triplet processor qemu musl imports marks entry)
    foreach(none qemu musl)
        if(${none} STREQUAL "-")
            set(${none} "")
        endif()
    endforeach()
    string(REPLACE " " ";" imports "${imports}")
    # Debian's package of a cross compiler spells the triplet's "_" as "-".
    string(REPLACE "_" "-" compiler_package g++-${triplet})
    if(NOT qemu)
        set(compiler_package "")
    endif()
    foreach(fact debian_arch triplet processor qemu musl marks entry compiler_package)
        set(tstamp_${fact} "${${fact}}" PARENT_SCOPE)
    endforeach()
    set(tstamp_imports ${tstamp_common_imports} ${imports} PARENT_SCOPE)
endfunction()
