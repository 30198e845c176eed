# Build settings shared by every target of the project.

# Results must be bit-identical on every CPU: no fused multiply-add (aarch64
# compilers contract a*b+c by default) and never fast-math. These apply to
# every target, third-party test frameworks included.
if(MSVC)
    add_compile_options(/fp:precise /utf-8)
else()
    add_compile_options(-ffp-contract=off -fno-fast-math)
    # Nothing of the folders the build ran in ends up in a binary, not even
    # in its debug information. The last matching map wins, so a build folder
    # inside the sources is mapped as a build folder.
    add_compile_options(
        -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
        -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
endif()

# The hardening Debian builds its packages with: stack protector, fortified
# C library calls, position-independent executable, read-only relocations
# bound at start-up. Each compiler flag only where the compiler takes it (the
# control-flow protection exists on x86 only).
option(QUANVIK_HARDEN "Build with the hardening of Debian's packages" OFF)
if(QUANVIK_HARDEN AND NOT MSVC)
    include(CheckCXXCompilerFlag)
    foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
        string(MAKE_C_IDENTIFIER "QUANVIK_HAS${flag}" known)
        check_cxx_compiler_flag(${flag} ${known})
        if(${known})
            add_compile_options(${flag})
        endif()
    endforeach()
    add_compile_options(-Wformat -Wformat-security)
    # The fortified calls need the optimiser; a Debug build would warn.
    add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    include(CheckPIESupported)
    check_pie_supported()
    if(NOT WIN32)
        add_link_options(LINKER:-z,relro LINKER:-z,now)
    endif()
endif()

# Warnings on for our own targets. They are errors only where a preset asks
# for it (CMAKE_COMPILE_WARNING_AS_ERROR), so a packager's flags or a newer
# compiler's new warning never break a build from source.
function(quanvik_target_options target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /permissive-)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    endif()
endfunction()

# What each runner prints last when every check ran and none failed. A test
# passes only when its command exits 0 and prints its summary (run_test.cmake).
set(QUANVIK_GTEST_SUMMARY "\\[  PASSED  \\] [0-9]+ tests?\\.")
set(QUANVIK_QTEST_SUMMARY "Totals: [0-9]+ passed, 0 failed")
# The project's own check scripts end with "<script> <what>: passed".
set(QUANVIK_CHECK_SUMMARY ": passed\r?\n")
set(QUANVIK_RUN_TEST ${CMAKE_CURRENT_LIST_DIR}/run_test.cmake)

# quanvik_add_checked_test(NAME <name> SUMMARY <regex> [FAILURE <regex>] COMMAND <program> [<arg>...])
# Registers a test that passes only when <program> exits 0 and prints a line
# matching SUMMARY and none matching FAILURE. A <program> that is an
# executable target runs under the cross-compiling emulator (Wine).
function(quanvik_add_checked_test)
    cmake_parse_arguments(ARG "" "NAME;SUMMARY;FAILURE" "COMMAND" ${ARGN})
    list(POP_FRONT ARG_COMMAND program)
    if(TARGET ${program})
        set(program $<TARGET_FILE:${program}>)
        if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
            set(program ${CMAKE_CROSSCOMPILING_EMULATOR} ${program})
        endif()
    endif()
    set(failure "")
    if(ARG_FAILURE)
        set(failure "-DFAILURE=${ARG_FAILURE}")
    endif()
    add_test(NAME ${ARG_NAME} COMMAND ${CMAKE_COMMAND} "-DSUMMARY=${ARG_SUMMARY}" ${failure}
        -P ${QUANVIK_RUN_TEST} -- ${program} ${ARG_COMMAND})
endfunction()

# quanvik_add_program_test(NAME <name> PROGRAM <target> [ARGS <args...>])
# A test running a GoogleTest or, linked with Qt6::Test, a Qt Test program.
function(quanvik_add_program_test)
    cmake_parse_arguments(ARG "" "NAME;PROGRAM" "ARGS" ${ARGN})
    get_target_property(libs ${ARG_PROGRAM} LINK_LIBRARIES)
    if("Qt6::Test" IN_LIST libs)
        quanvik_add_checked_test(NAME ${ARG_NAME} SUMMARY "${QUANVIK_QTEST_SUMMARY}"
            COMMAND ${ARG_PROGRAM} ${ARG_ARGS})
    else()
        quanvik_add_checked_test(NAME ${ARG_NAME} SUMMARY "${QUANVIK_GTEST_SUMMARY}"
            FAILURE "\\[  FAILED  \\]" COMMAND ${ARG_PROGRAM} ${ARG_ARGS})
    endif()
endfunction()

# quanvik_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# Adds a test executable with our warning flags and registers it with CTest.
function(quanvik_add_test)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    quanvik_target_options(${ARG_NAME})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS})
    quanvik_add_program_test(NAME ${ARG_NAME} PROGRAM ${ARG_NAME})
    if(ARG_LABELS)
        set_tests_properties(${ARG_NAME} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
