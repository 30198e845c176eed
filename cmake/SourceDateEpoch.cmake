# quanvik_source_date_epoch(<var> <source dir>): the time every date the build
# stores is set to, so that two builds of the same sources give the same
# bytes. From the environment when a packager sets it, else from the last
# commit, else (in a tree exported without git) from the latest entry of the
# changelog, as Debian's own tools do. Empty if none of them tells.
function(quanvik_source_date_epoch var sourceDir)
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
    if(epoch STREQUAL "" AND EXISTS ${sourceDir}/.git)
        find_program(QUANVIK_GIT git)
        if(QUANVIK_GIT)
            execute_process(
                COMMAND ${QUANVIK_GIT} log -1 --format=%ct
                WORKING_DIRECTORY ${sourceDir}
                OUTPUT_VARIABLE epoch
                OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_QUIET)
        endif()
    endif()
    if(NOT epoch MATCHES "^[0-9]+$")
        file(STRINGS ${sourceDir}/app/linux/changelog trailer REGEX "^ -- " LIMIT_COUNT 1)
        string(REGEX REPLACE "^ -- .*>  " "" changelogDate "${trailer}")
        execute_process(
            COMMAND date -u -d "${changelogDate}" +%s
            OUTPUT_VARIABLE epoch
            OUTPUT_STRIP_TRAILING_WHITESPACE
            ERROR_QUIET)
    endif()
    if(NOT epoch MATCHES "^[0-9]+$")
        set(epoch "")
    endif()
    set(${var} "${epoch}" PARENT_SCOPE)
endfunction()
