# bash build.sh package: a Debian package of the installed files, its
# dependencies found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvarn)
set(CPACK_PACKAGE_VENDOR "The Kelvarn developers")
set(CPACK_PACKAGE_CONTACT "${KELVARN_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "noise measurement with the cell on a serial port")
# The long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Kelvarn works with the cell, a small battery-powered noise-measuring unit on
a serial port. It uploads measurement programs into the cell, starts
measurements and shows the level live, reads the cell's memory out and
evaluates it (level over time, LeQ, L01, L95, distributions, overviews of
twelve measurements), stores measurement files with a description, and
copies and prints charts and tables. The program speaks German.

Also contains kelvarn-cli, the evaluation from the command line, and
kelvarn-cellsim, a simulated cell for trying Kelvarn without hardware.")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KELVARN_PACKAGE_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(KELVARN_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KELVARN_HOMEPAGE}")
endif()
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's German texts are data, not a library: shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
# On a Wayland desktop Qt looks for its Wayland plugin first and falls back to X with a warning.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)
include(CPack)
