# Run by cpack after it has written the packages: the zip is written again
# with its entries in sorted order, with the sources' date and fixed modes and
# without the owner's user and group ids, which CPack's zip stores; the
# installer is signed (when a certificate is given), as Windows checks it
# before it runs.
include(${CMAKE_CURRENT_LIST_DIR}/Authenticode.cmake)

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.zip$")
        execute_process(
            COMMAND ${CPACK_QUANVIK_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/normalize_zip.py ${package}
                "$ENV{SOURCE_DATE_EPOCH}"
            COMMAND_ERROR_IS_FATAL ANY)
    elseif(package MATCHES "-setup\\.exe$")
        quanvik_sign(${package})
    endif()
endforeach()
