# The Debian package's version. Each Debian release gets a package built on
# it, with that release's library names, so each gets its own version, the
# way Debian's backports do: the upstream version with the release's number,
# 1.0.0.0+deb12 on Debian 12 and 1.0.0.0+deb13 on Debian 13. dpkg orders them
# so that a Debian 12 system upgraded to 13 takes the Debian 13 build. Where
# /etc/os-release names no numbered Debian release (testing, unstable, other
# systems) the version is the upstream one.
cmake_host_system_information(RESULT QUANVIK_DISTRIBUTION QUERY DISTRIB_INFO)
set(release "")
if(QUANVIK_DISTRIBUTION_ID STREQUAL "debian" AND QUANVIK_DISTRIBUTION_VERSION_ID MATCHES "^[0-9]+$")
    set(release ${QUANVIK_DISTRIBUTION_VERSION_ID})
endif()
set(QUANVIK_DEBIAN_RELEASE "${release}" CACHE STRING
    "The Debian release the package is built for (12, 13); empty for none")
set(QUANVIK_DEBIAN_VERSION ${PROJECT_VERSION})
if(QUANVIK_DEBIAN_RELEASE)
    string(APPEND QUANVIK_DEBIAN_VERSION "+deb${QUANVIK_DEBIAN_RELEASE}")
endif()

# The packaged changelog's latest entry names this build's version and
# release; its date stays the upstream one, so the bytes do not depend on
# when the package is built.
set(QUANVIK_DEBIAN_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/changelog)
set(upstreamChangelog ${PROJECT_SOURCE_DIR}/app/linux/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${upstreamChangelog})
file(READ ${upstreamChangelog} changelog)
if(QUANVIK_DEBIAN_RELEASE)
    set(suite "${QUANVIK_DISTRIBUTION_VERSION_CODENAME}")
    if(suite STREQUAL "" OR NOT QUANVIK_DEBIAN_RELEASE STREQUAL QUANVIK_DISTRIBUTION_VERSION_ID)
        set(suite unstable)
    endif()
    string(REGEX REPLACE "^quanvik \\(${PROJECT_VERSION}\\) [^;]*;"
        "quanvik (${QUANVIK_DEBIAN_VERSION}) ${suite};" changelog "${changelog}")
    string(FIND "${changelog}" "\n -- " trailer)
    string(SUBSTRING "${changelog}" 0 ${trailer} entry)
    string(SUBSTRING "${changelog}" ${trailer} -1 rest)
    set(changelog "${entry}  * Built for Debian ${QUANVIK_DEBIAN_RELEASE}.\n${rest}")
endif()
file(WRITE ${QUANVIK_DEBIAN_CHANGELOG} "${changelog}")
