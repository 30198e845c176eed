# Runs one test's command and passes only when it has visibly run to its end:
# it exits 0, its output has its runner's closing summary, and no failure
# line. A test program ended from outside can exit 0 having run nothing (under
# Wine, one whose server is ended under it does), so the exit code alone
# proves nothing. The output is shown as it comes.
#   cmake -DSUMMARY=<regex> [-DFAILURE=<regex>] -P run_test.cmake -- <command> [<arg>...]
cmake_minimum_required(VERSION 3.25)

set(command "")
set(inCommand OFF)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
    if(inCommand)
        # An argument may hold a ';' (a list of generators): kept, not split.
        string(REPLACE ";" "\\;" argument "${CMAKE_ARGV${i}}")
        list(APPEND command "${argument}")
    elseif(CMAKE_ARGV${i} STREQUAL "--")
        set(inCommand ON)
    endif()
endforeach()
if(NOT command OR NOT DEFINED SUMMARY)
    message(FATAL_ERROR "usage: cmake -DSUMMARY=<regex> [-DFAILURE=<regex>] -P run_test.cmake -- <command>")
endif()

execute_process(COMMAND ${command} RESULT_VARIABLE result
    OUTPUT_VARIABLE output ERROR_VARIABLE output ECHO_OUTPUT_VARIABLE ECHO_ERROR_VARIABLE)

if(NOT result STREQUAL "0")
    set(verdict "ended with ${result}")
elseif(NOT output MATCHES "${SUMMARY}")
    set(verdict "exited 0 without its closing summary (/${SUMMARY}/): it did not run to its end")
elseif(DEFINED FAILURE AND output MATCHES "${FAILURE}")
    set(verdict "exited 0 with its summary, but reported a failure (/${FAILURE}/)")
else()
    return()
endif()
message(FATAL_ERROR "the test ${verdict}")
