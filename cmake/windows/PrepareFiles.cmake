# Run by cpack on the staged files before it packs them, once for each
# package: the program is signed (when a certificate is given), and every file
# and folder takes the sources' date, which the zip and the installer store.
include(${CMAKE_CURRENT_LIST_DIR}/Authenticode.cmake)

file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/quanvik.exe"
    "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/quanvik.exe")
foreach(program IN LISTS programs)
    quanvik_sign(${program})
endforeach()

if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    find_program(QUANVIK_TOUCH touch)
    find_program(QUANVIK_FIND find)
    if(QUANVIK_TOUCH AND QUANVIK_FIND)
        execute_process(
            COMMAND ${QUANVIK_FIND} ${CPACK_TEMPORARY_INSTALL_DIRECTORY} -exec
                ${QUANVIK_TOUCH} -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
endif()
