# Build settings shared by every target of the project.

# Results must be bit-identical on every CPU: no fused multiply-add (aarch64
# compilers contract a*b+c by default) and never fast-math. These apply to
# every target, third-party test frameworks included.
if(MSVC)
    add_compile_options(/fp:precise /utf-8)
else()
    add_compile_options(-ffp-contract=off -fno-fast-math)
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
