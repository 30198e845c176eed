# Debian package of the program: cpack -G DEB in the build tree writes
# quanvik_<Debian version>_<arch>.deb (the version: DebianVersion.cmake).

set(CPACK_PACKAGE_NAME quanvik)
set(CPACK_PACKAGE_VENDOR Quanvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "futures position calculator")
# One element per line of the control file's long description.
set(CPACK_PACKAGE_DESCRIPTION
    "Quanvik plans one trade in a futures contract of 15 units per lot. From"
    "the principal, the margin ratio, the entry and exit prices, the lots to"
    "open and the days to hold it shows the most lots the principal can open,"
    "the profit or loss net of commission and holding fee, the long and short"
    "break-even prices and the risk rate at entry. The window is in"
    "Simplified Chinese.")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_CONTACT "Quanvik maintainers <maintainers@quanvik.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stripped the way Debian's own packages are (see DebianStrip.cmake).
set(CPACK_STRIP_FILES OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianStrip.cmake)
set(CPACK_DEBIAN_STRIP ${CMAKE_STRIP})

set(CPACK_DEBIAN_PACKAGE_VERSION ${QUANVIK_DEBIAN_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds the libraries the binary links; it cannot see the
# platform plugin that opens the window nor the CJK font of the captions.
# Qt's own zh_CN translation (the standard dialogs' texts) is welcome but not
# needed to run.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
find_program(QUANVIK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QUANVIK_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    string(PREPEND CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), ")
endif()

# Every file in the package carries the sources' date instead of the build's.
set(CPACK_QUANVIK_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageDate.cmake)

set(CPACK_GENERATOR DEB)
include(CPack)
