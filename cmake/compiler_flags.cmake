# SPDX-License-Identifier: MIT
# Flags for every target the project owns, gathered on one interface target, tstamp_flags:
# strict warnings (errors only with TSTAMP_WERROR, as the presets and CI set it), and on
# Linux the hardening a Debian package gets, each flag where the compiler and target take it.

include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)
include(CheckCXXSourceCompiles)

option(TSTAMP_WERROR "Treat warnings as errors (on in the project's presets and CI)" OFF)

# The warnings every piece of the project's own code is built with, test helpers included.
add_library(tstamp_warnings INTERFACE)
target_compile_options(tstamp_warnings INTERFACE -Wall -Wextra -Wpedantic $<$<BOOL:${TSTAMP_WERROR}>:-Werror>)

add_library(tstamp_flags INTERFACE)
target_link_libraries(tstamp_flags INTERFACE tstamp_warnings)
target_compile_options(tstamp_flags INTERFACE
    -Wconversion -Wsign-conversion -Wshadow -Wcast-qual -Wformat=2 -Wundef
    -Wnull-dereference -Wdouble-promotion
    $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual>)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    # 32-bit glibc keeps a 32-bit time_t unless asked (and asking needs 64-bit file
    # offsets too). For everything built here, tests and their libraries included, so
    # that they all agree on the size of time_t.
    add_compile_definitions(_TIME_BITS=64 _FILE_OFFSET_BITS=64)
endif()

if(TSTAMP_SANITIZE)
    target_compile_options(tstamp_flags INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(tstamp_flags INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

if(TSTAMP_FUZZ)
    # Coverage for libFuzzer in everything the fuzz target links.
    target_compile_options(tstamp_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()

# tstamp_hardening_flag(FLAG): compile with FLAG when this compiler takes it for this
# target without a word of complaint.
function(tstamp_hardening_flag flag)
    string(MAKE_C_IDENTIFIER "tstamp_takes${flag}" result)
    set(CMAKE_REQUIRED_FLAGS -Werror)
    check_cxx_compiler_flag(${flag} ${result})
    if(${result})
        target_compile_options(tstamp_flags INTERFACE ${flag})
    endif()
endfunction()

if(NOT WIN32)
    # The C library: glibc, or musl (the static programs; their toolchain files say so).
    check_cxx_source_compiles("#include <stdio.h>\n#ifndef __GLIBC__\n#error\n#endif\nint main() { return 0; }"
        tstamp_on_glibc)
    # As Debian builds its packages: fortified calls, stack protector, stack clash
    # protection, control-flow protection (x86: CET; arm64: PAC and BTI), PIE, full RELRO
    # with immediate binding. The Windows build leaves fortification and the stack protector
    # out: with mingw they pull in libssp-0.dll.
    if(TSTAMP_STATIC)
        # Every program with the C library inside: it then starts with no loader, no
        # library and no file of its own around it. Position-independent (static-pie) where
        # the C library has the start files for it (rcrt1.o), plainly static elsewhere.
        # Debian's compilers make position-independent code unless told otherwise; CMake's
        # own PIE flags would make the program dynamic again, so they are left out here.
        check_linker_flag(CXX -static-pie tstamp_links_static_pie)
        # Relative relocations packed (DT_RELR): a static-pie program relocates itself at
        # each start, and packed that costs glibc about 5,000 fewer of its 43,000
        # instructions. glibc (2.36) applies them; musl 1.2.3 does not, so there the
        # linker would make a program that cannot start.
        if(tstamp_on_glibc)
            check_linker_flag(CXX -Wl,-z,pack-relative-relocs tstamp_packs_relocations)
        endif()
        # Sections of the C library that nothing uses are dropped: each program stays under
        # 1 MiB stripped (ppc64el is the largest).
        target_link_options(tstamp_flags INTERFACE -Wl,--gc-sections)
        if(tstamp_links_static_pie)
            target_link_options(tstamp_flags INTERFACE -static-pie
                $<$<BOOL:${tstamp_packs_relocations}>:-Wl,-z,pack-relative-relocs>)
        else()
            target_link_options(tstamp_flags INTERFACE -static)
        endif()
    else()
        include(CheckPIESupported)
        check_pie_supported(LANGUAGES C CXX)
        set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    endif()
    # A level of fortification that the packager's flags already choose is theirs.
    if(NOT TSTAMP_SANITIZE AND NOT "${CMAKE_CXX_FLAGS}" MATCHES "_FORTIFY_SOURCE")
        target_compile_options(tstamp_flags INTERFACE
            $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2>)
    endif()
    foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection
                 -mbranch-protection=standard)
        tstamp_hardening_flag(${flag})
    endforeach()
    target_link_options(tstamp_flags INTERFACE -Wl,-z,relro -Wl,-z,now)
    # Only the libraries a program uses (the compiler driver adds libm to every C++ link).
    target_link_options(tstamp_flags INTERFACE -Wl,--as-needed)
else()
    # A 64-bit clock on 32-bit msvcrt (_time64, _localtime64); the compiler's own runtime
    # (libgcc, libstdc++, winpthread) linked in, so that a program imports msvcrt.dll and
    # KERNEL32.dll only and needs no other DLL beside it; ASLR (high entropy where the
    # program is 64-bit) and NX for the console program; no time stamp in the PE header,
    # so that a build gives the same bytes every time.
    target_compile_definitions(tstamp_flags INTERFACE __MINGW_USE_VC2005_COMPAT)
    target_link_options(tstamp_flags INTERFACE -static -Wl,--dynamicbase -Wl,--nxcompat -Wl,--no-insert-timestamp
        $<$<EQUAL:${CMAKE_SIZEOF_VOID_P},8>:-Wl,--high-entropy-va>)
endif()
