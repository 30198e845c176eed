# Read by cpack once per generator: the installer is named ...-setup.exe so
# that it stands apart from the zip of the same version, and both take the
# sources' date (SOURCE_DATE_EPOCH, which the strip and sign steps read too).
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
include(${CPACK_QUANVIK_SOURCE_DIR}/cmake/PackageDate.cmake)
