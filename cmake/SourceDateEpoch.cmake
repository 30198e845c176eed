# QUANVIK_SOURCE_DATE_EPOCH: the time every date the build stores is set to,
# so that two builds of the same sources give the same bytes. Taken from the
# environment when a packager sets it, else from the last commit, else (in a
# tree exported without git) from the latest entry of the changelog, as
# Debian's own tools do.

set(QUANVIK_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(QUANVIK_SOURCE_DATE_EPOCH STREQUAL "")
    find_package(Git QUIET)
    if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
        execute_process(
            COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE QUANVIK_SOURCE_DATE_EPOCH
            OUTPUT_STRIP_TRAILING_WHITESPACE
            ERROR_QUIET)
    endif()
endif()
if(NOT QUANVIK_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    file(STRINGS ${PROJECT_SOURCE_DIR}/app/linux/changelog trailer REGEX "^ -- " LIMIT_COUNT 1)
    string(REGEX REPLACE "^ -- .*>  " "" changelogDate "${trailer}")
    execute_process(
        COMMAND date -u -d "${changelogDate}" +%s
        OUTPUT_VARIABLE QUANVIK_SOURCE_DATE_EPOCH
        OUTPUT_STRIP_TRAILING_WHITESPACE
        ERROR_QUIET)
endif()
if(NOT QUANVIK_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    set(QUANVIK_SOURCE_DATE_EPOCH "")
endif()
