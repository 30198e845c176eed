# How Qt for Windows is configured (cmake -C): scripts/windows-toolchain
# builds qtbase with this initial cache, and a change here rebuilds it.
#
# Everything Quanvik does not use is off: it shortens the build and keeps the
# packages small. tabletevent is off because Debian's +dfsg source drops the
# wintab headers; direct2d stays on because the windows platform plugin needs
# the DirectWrite font database Gui builds only with it, and direct2d1_1 is
# off because it only adds a second Windows platform plugin that nothing
# loads. MinGW GCC 12 crashes on PCRE2 with stack-clash protection; the stack
# protector needs libssp, which Qt's link lines do not name, and one more DLL;
# CET is not what Windows enforces through GCC's instrumentation. So those
# three are off.
foreach(feature
        sql sql_sqlite network dbus xml concurrent printsupport opengl vulkan icu zstd
        jpeg gif tabletevent pkg_config androiddeployqt macdeployqt windeployqt
        system_zlib system_png system_jpeg system_freetype system_harfbuzz system_pcre2
        system_doubleconversion system_libb2 system_textmarkdownreader
        stack_clash_protection stack_protector intelcet direct2d1_1)
    set(FEATURE_${feature} OFF CACHE BOOL "")
endforeach()
foreach(feature direct2d testlib widgets style_windowsvista ico freetype)
    set(FEATURE_${feature} ON CACHE BOOL "")
endforeach()
set(INPUT_opengl no CACHE STRING "")

set(CMAKE_BUILD_TYPE Release CACHE STRING "")
set(QT_BUILD_EXAMPLES OFF CACHE BOOL "")
set(QT_BUILD_TESTS OFF CACHE BOOL "")
# Qt's own ways to compile faster: sources in batches of 32 (unity build) and
# precompiled headers (docs/windows.md has the times with and without).
set(QT_UNITY_BUILD ON CACHE BOOL "")
set(BUILD_WITH_PCH ON CACHE BOOL "")
