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

# quanvik_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# Adds a test executable with our warning flags and registers it with CTest.
function(quanvik_add_test)
    cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    quanvik_target_options(${ARG_NAME})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS})
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    if(ARG_LABELS)
        set_tests_properties(${ARG_NAME} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
