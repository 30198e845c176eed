# Run by cpack after it has written the packages: the installer is signed
# (when a certificate is given), as Windows checks it before it runs.
include(${CMAKE_CURRENT_LIST_DIR}/Authenticode.cmake)

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "-setup\\.exe$")
        quanvik_sign(${package})
    endif()
endforeach()
