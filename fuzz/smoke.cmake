# Runs one fuzzer for a bounded time on a fresh copy of its seed corpus.
# cmake -DFUZZER=<exe> {-DSEEDS=<dir> | -DPYTHON=<python> -DEDGE_TEXTS=<crosscheck.py>}
#       -DWORK=<dir> -DSECONDS=<n> [-DARGS="<flags>"] -P smoke.cmake
# The flag -long_inputs=1 in ARGS is ours, not libFuzzer's: it first runs
# megabyte texts once each, which a reader that is not linear cannot finish
# within the timeout. (Fuzzing them would starve the short inputs.)
cmake_minimum_required(VERSION 3.25)
separate_arguments(args UNIX_COMMAND "${ARGS}")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts" "${WORK}/long")
if(EDGE_TEXTS)
    execute_process(COMMAND "${PYTHON}" "${EDGE_TEXTS}" --write-corpus "${WORK}/corpus" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${EDGE_TEXTS} could not write the edge texts (exit ${result})")
    endif()
else()
    file(COPY "${SEEDS}/" DESTINATION "${WORK}/corpus")
endif()

if("-long_inputs=1" IN_LIST args)
    list(REMOVE_ITEM args "-long_inputs=1")
    string(REPEAT "7" 1048576 digits)
    string(REPEAT "1 " 524288 spaced)
    string(REPEAT "0" 1048574 zeros)
    string(REPEAT "F" 1048574 hex)
    string(REPEAT " " 1048575 blanks)
    string(REPEAT "７" 349525 wide)
    string(REPEAT "　" 349525 wideBlanks)
    file(WRITE "${WORK}/long/digits" "${digits}")
    file(WRITE "${WORK}/long/spaced-digits" "${spaced}")
    file(WRITE "${WORK}/long/fraction" "0.${zeros}1")
    file(WRITE "${WORK}/long/exponent" "1E${digits}")
    file(WRITE "${WORK}/long/hex" "&H${hex}")
    file(WRITE "${WORK}/long/blanks" "${blanks}5")
    file(WRITE "${WORK}/long/junk" "12%${zeros}")
    file(WRITE "${WORK}/long/fullwidth-digits" "${wide}")
    file(WRITE "${WORK}/long/ideographic-blanks" "${wideBlanks}５")
    file(GLOB long "${WORK}/long/*")
    execute_process(
        COMMAND "${FUZZER}" -timeout=10 -artifact_prefix=${WORK}/artifacts/ ${long}
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${FUZZER} failed on a megabyte input (exit ${result}); see ${WORK}/long")
    endif()
endif()

execute_process(
    COMMAND "${FUZZER}" -max_total_time=${SECONDS} -timeout=10 -print_final_stats=1
        -artifact_prefix=${WORK}/artifacts/ ${args} "${WORK}/corpus"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} found a problem (exit ${result}); reproducer in ${WORK}/artifacts")
endif()
message(STATUS "${FUZZER}: passed")
