# The guard every test runs under (cmake/run_test.cmake), tried on stand-in
# runners: a test passes only when its program has visibly run to its end.
#   cmake -DRUN_TEST=<run_test.cmake> -DGTEST_SUMMARY=<regex> -DQTEST_SUMMARY=<regex> -P run_test_check.cmake
cmake_minimum_required(VERSION 3.25)

set(failures 0)
set(rows 0)
# row(<pass|fail> <gtest|qtest> <sh script standing in for the test program>)
function(row expected runner script)
    set(failure "")
    if(runner STREQUAL "gtest")
        set(failure "-DFAILURE=\\[  FAILED  \\]")
    endif()
    string(TOUPPER "${runner}_SUMMARY" summary)
    execute_process(COMMAND ${CMAKE_COMMAND} "-DSUMMARY=${${summary}}" ${failure} -P ${RUN_TEST} -- sh -c "${script}"
        RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    set(got pass)
    if(NOT result EQUAL 0)
        set(got fail)
    endif()
    math(EXPR rows "${rows} + 1")
    set(rows ${rows} PARENT_SCOPE)
    if(NOT got STREQUAL expected)
        message("expected ${expected}, got ${got}: ${runner} runner `${script}`")
        math(EXPR failures "${failures} + 1")
        set(failures ${failures} PARENT_SCOPE)
    endif()
endfunction()

# Ended from outside before it printed anything, as a Windows program whose
# Wine server is ended under it: exit code 0, nothing run.
row(fail gtest "true")
# Ended by a signal it answers with exit code 0.
row(fail qtest "trap 'exit 0' TERM; kill -TERM $$; sleep 5")
row(pass gtest "echo '[==========] 3 tests ran.'; echo '[  PASSED  ] 3 tests.'")
row(fail gtest "echo '[  PASSED  ] 2 tests.'; echo '[  FAILED  ] 1 test, listed below:'")
# Every test passed, then a leak checker failed the program at its exit.
row(fail gtest "echo '[  PASSED  ] 3 tests.'; exit 23")
row(pass qtest "echo 'Totals: 12 passed, 0 failed, 1 skipped, 0 blacklisted, 40ms'")
row(fail qtest "echo 'Totals: 11 passed, 1 failed, 0 skipped, 0 blacklisted, 40ms'")
row(fail qtest "echo 'Totals: 12 passed, 0 failed'; kill -KILL $$")

math(EXPR passed "${rows} - ${failures}")
message("run_test_check: ${passed} passed, ${failures} failed")
if(failures GREATER 0)
    message(FATAL_ERROR "the guard let a test pass that did not run to its end, or failed one that did")
endif()
