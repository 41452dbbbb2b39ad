# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, made by `cpack -G DEB` in a build folder configured with
# CMAKE_INSTALL_PREFIX=/usr (scripts/package.sh does both). Its version is project(VERSION);
# the packaging revision counts packages of one version.
include_guard(GLOBAL)

set(MIRELUNE_PACKAGE_MAINTAINER "Mirelune maintainers <maintainers@users.noreply.c-seed-088ee605.example>"
    CACHE STRING "The Maintainer field of the Debian package and its changelog")
set(MIRELUNE_PACKAGE_RELEASE 1 CACHE STRING "The Debian revision of the package")

# The release date of the AppStream file, the man pages and the changelog: the time of the
# source (SOURCE_DATE_EPOCH, which scripts/package.sh takes from the last commit), so that one
# tree gives one package; without it, today.
string(TIMESTAMP MIRELUNE_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP MIRELUNE_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirelune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Mirelune developers")
set(CPACK_PACKAGE_CONTACT "${MIRELUNE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tuning console for USB HID DSP amplifiers")
# Lines of the extended description stay within 79 characters, as Debian's tools show them;
# no semicolons, which CMake would take for list separators.
set(CPACK_PACKAGE_DESCRIPTION
    "Mirelune tunes the DSP amplifiers of the karaoke and powered-speaker kind\n"
    "that connect by USB HID (2E3C:0D07). The console finds the amplifier, reads\n"
    "every parameter and sends every slider move, graph drag or button press to\n"
    "it at once. It keeps ten stored modes as configuration files and records the\n"
    "link for bug reports. mirelune-cli does the same from the command line. A\n"
    "built-in virtual amplifier stands in for the hardware.\n"
    "\n"
    "The package's udev rule gives the user at the seat access to the amplifier.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_NAME mirelune)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${MIRELUNE_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MIRELUNE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binaries (dpkg-shlibdeps); what they load at run time by name
# does not: the platform plugin that opens the window, and the font the skin's texts are
# drawn with when no SimSun is installed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-microhei")
# mirelune-cli loads libmosquitto by name when a room joins a broker (serve --mqtt) or the fleet
# command runs; everything else works without it. The broker itself goes on the venue's server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libmosquitto1")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mosquitto")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/postinst ${CMAKE_CURRENT_LIST_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
