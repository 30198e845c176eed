# Differential check of the engine against an independent model in Python.
# Included from tests/engine; paths are relative to this file.
add_executable(field_runner ${CMAKE_CURRENT_LIST_DIR}/field_runner.cpp)
quanvik_target_options(field_runner)
target_link_libraries(field_runner PRIVATE quanvik_test_support)

# A cross-built runner is started through the emulator (Wine).
set(runnerEmulator "")
if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
    foreach(part IN LISTS CMAKE_CROSSCOMPILING_EMULATOR)
        list(APPEND runnerEmulator --emulator ${part})
    endforeach()
endif()

find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
    quanvik_add_checked_test(NAME engine_crosscheck SUMMARY "crosscheck: [0-9]+ cases .*, 0 mismatches"
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/crosscheck.py
                ${runnerEmulator} --runner $<TARGET_FILE:field_runner>)
    set_tests_properties(engine_crosscheck PROPERTIES LABELS engine TIMEOUT 300)
endif()
