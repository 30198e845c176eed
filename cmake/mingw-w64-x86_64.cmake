# 64-bit Windows with Debian's MinGW-w64. The posix-thread variant of the
# compilers is required: Qt uses std::thread and std::mutex, which the win32
# variant lacks.
#
# Quanvik itself is configured with Qt's generated qt.toolchain.cmake, which
# loads this file through QT_CHAINLOAD_TOOLCHAIN_FILE; the Qt and GoogleTest
# builds in scripts/windows use it directly.
if(CMAKE_HOST_WIN32)
    # A native build with Qt's own MinGW kit: its compilers are on PATH.
    return()
endif()

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUANVIK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUANVIK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUANVIK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUANVIK_MINGW_TRIPLE}-windres)

# Libraries and headers only from the MinGW sysroot (and the roots Qt's
# toolchain file adds); programs such as moc come from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${QUANVIK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
