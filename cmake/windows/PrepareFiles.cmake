# Run by cpack on the staged files before it packs them, once for each
# package: the program is signed (when a certificate is given; the
# uninstaller too, as makensis builds it), every file
# takes the sources' date, which the installer stores, and the installer's
# lists of files to copy and to remove are written in sorted order, since
# NSIS and CPack otherwise take them in the order the file system lists
# them, which differs between file systems.
include(${CMAKE_CURRENT_LIST_DIR}/Authenticode.cmake)

set(staged ${CPACK_TEMPORARY_DIRECTORY})
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${staged} "${staged}/*")
list(SORT files)

foreach(file IN LISTS files)
    if(file MATCHES "(^|/)quanvik\\.exe$")
        quanvik_sign(${staged}/${file})
    endif()
endforeach()

if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    find_program(QUANVIK_TOUCH touch)
    if(QUANVIK_TOUCH)
        list(TRANSFORM files PREPEND ${staged}/ OUTPUT_VARIABLE paths)
        execute_process(COMMAND ${QUANVIK_TOUCH} -d @$ENV{SOURCE_DATE_EPOCH} ${paths}
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
endif()

if(CPACK_GENERATOR STREQUAL "NSIS")
    set(install "")
    set(remove "")
    set(folders "")
    set(folder "-")
    foreach(file IN LISTS files)
        get_filename_component(dir "${file}" DIRECTORY)
        string(REPLACE "/" "\\" windowsFile "${file}")
        string(REPLACE "/" "\\" windowsDir "${dir}")
        if(NOT dir STREQUAL folder)
            string(APPEND install "  SetOutPath \"$INSTDIR\\${windowsDir}\"\n")
            set(folder "${dir}")
            if(dir)
                list(APPEND folders "${windowsDir}")
            endif()
        endif()
        string(APPEND install "  File \"\${INST_DIR}\\${windowsFile}\"\n")
        string(APPEND remove "  Delete \"$INSTDIR\\${windowsFile}\"\n")
    endforeach()
    # The shortcuts start in the installation folder.
    string(APPEND install "  SetOutPath \"$INSTDIR\"\n")
    list(REMOVE_DUPLICATES folders)
    list(SORT folders ORDER DESCENDING)
    foreach(dir IN LISTS folders)
        string(APPEND remove "  RMDir \"$INSTDIR\\${dir}\"\n")
    endforeach()
    # The uninstaller is signed when makensis builds it, before the installer
    # stores it, so the one written on the user's PC carries the signature.
    set(sign "")
    if(NOT "$ENV{QUANVIK_SIGN_CERT}" STREQUAL "")
        set(sign "!uninstfinalize '\"${CMAKE_COMMAND}\" -DQUANVIK_SIGN_FILE=\"%1\" -P \"${CMAKE_CURRENT_LIST_DIR}/Authenticode.cmake\"'\n")
    endif()
    file(WRITE ${CPACK_TOPLEVEL_DIRECTORY}/quanvik-sign.nsh "${sign}")
    file(WRITE ${CPACK_TOPLEVEL_DIRECTORY}/quanvik-install.nsh "${install}")
    file(WRITE ${CPACK_TOPLEVEL_DIRECTORY}/quanvik-uninstall.nsh "${remove}")
endif()
