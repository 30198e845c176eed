# Run by cpack on the staged files before packing: strips the program as
# Debian's dh_strip does, the compiler's .comment and .note sections included.
file(GLOB_RECURSE programs LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
    execute_process(
        COMMAND ${CPACK_DEBIAN_STRIP} --remove-section=.comment --remove-section=.note --strip-unneeded
            ${program}
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()
