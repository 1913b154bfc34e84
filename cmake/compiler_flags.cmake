# Flags for every target the project owns, gathered on one interface target, tstamp_flags:
# strict warnings as errors, and the hardening a Debian package gets on Linux.

add_library(tstamp_flags INTERFACE)
target_compile_options(tstamp_flags INTERFACE
    -Wall -Wextra -Wpedantic -Werror
    -Wconversion -Wsign-conversion -Wshadow -Wcast-qual -Wformat=2 -Wundef
    -Wnull-dereference -Wdouble-promotion
    $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual>)

if(TSTAMP_SANITIZE)
    target_compile_options(tstamp_flags INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(tstamp_flags INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

if(TSTAMP_FUZZ)
    # Coverage for libFuzzer in everything the fuzz target links.
    target_compile_options(tstamp_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(NOT WIN32)
    # As Debian builds its packages: fortified calls, stack protector and clash protection,
    # control-flow protection, PIE, full RELRO with immediate binding. The Windows build
    # leaves the first two out: with mingw they pull in libssp-0.dll.
    include(CheckPIESupported)
    check_pie_supported(LANGUAGES C CXX)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    if(NOT TSTAMP_SANITIZE)
        target_compile_options(tstamp_flags INTERFACE
            $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2>)
    endif()
    target_compile_options(tstamp_flags INTERFACE
        -fstack-protector-strong -fstack-clash-protection -fcf-protection)
    target_link_options(tstamp_flags INTERFACE -Wl,-z,relro -Wl,-z,now)
else()
    # A 64-bit clock on 32-bit msvcrt (_time64, _localtime64), and ASLR and NX for the
    # console program.
    target_compile_definitions(tstamp_flags INTERFACE __MINGW_USE_VC2005_COMPAT)
    target_link_options(tstamp_flags INTERFACE -Wl,--dynamicbase -Wl,--nxcompat)
endif()
