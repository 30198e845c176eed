# quanvik_sign(<file>): signs a Windows program or installer in place with
# Authenticode when QUANVIK_SIGN_CERT and QUANVIK_SIGN_KEY name a certificate
# and its private key (QUANVIK_SIGN_PASSWORD_FILE holds the key's password, if
# it has one); does nothing without them. The signing time is the sources'
# date, so that a signed build is as reproducible as an unsigned one.
function(quanvik_sign file)
    if("$ENV{QUANVIK_SIGN_CERT}" STREQUAL "")
        return()
    endif()
    if("$ENV{QUANVIK_SIGN_KEY}" STREQUAL "")
        message(FATAL_ERROR "QUANVIK_SIGN_CERT is set but QUANVIK_SIGN_KEY, its private key, is not")
    endif()
    find_program(QUANVIK_OSSLSIGNCODE osslsigncode)
    if(NOT QUANVIK_OSSLSIGNCODE)
        message(FATAL_ERROR "osslsigncode is needed to sign ${file} (Debian: osslsigncode)")
    endif()
    set(args -certs $ENV{QUANVIK_SIGN_CERT} -key $ENV{QUANVIK_SIGN_KEY} -h sha256 -n Quanvik)
    if(NOT "$ENV{QUANVIK_SIGN_PASSWORD_FILE}" STREQUAL "")
        list(APPEND args -readpass $ENV{QUANVIK_SIGN_PASSWORD_FILE})
    endif()
    if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
        list(APPEND args -time $ENV{SOURCE_DATE_EPOCH})
    endif()
    execute_process(COMMAND ${QUANVIK_OSSLSIGNCODE} sign ${args} -in ${file} -out ${file}.signed
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(RENAME ${file}.signed ${file})
    message(STATUS "Signed ${file}")
endfunction()

# Run as a script (cmake -DQUANVIK_SIGN_FILE=<file> -P Authenticode.cmake): how
# makensis signs the uninstaller it builds into the installer.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE AND DEFINED QUANVIK_SIGN_FILE)
    quanvik_sign(${QUANVIK_SIGN_FILE})
endif()
