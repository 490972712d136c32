# What "cmake --install" puts on a machine besides the program itself (app/ installs
# that): the desktop entry and icon that put it in the desktop's menu, and the README.
# Then the Debian package that "cpack -G DEB" makes of the same tree (scripts/package).
include(GNUInstallDirs)

set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${packaging_dir}/importarcot.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging_dir}/icons/importarcot.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# One PNG per size that packaging/make-icon.py draws, in the theme folder of that size.
file(GLOB icon_sizes RELATIVE ${packaging_dir}/icons ${packaging_dir}/icons/*x*)
foreach(size IN LISTS icon_sizes)
  install(FILES ${packaging_dir}/icons/${size}/importarcot.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(IMPORTARCOT_MAINTAINER "importarcot maintainers <importarcot@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME importarcot)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${IMPORTARCOT_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "imports sales quotations into a Merkalo company database")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads a delimited text file of sales quotations (Windows-1252, comma, semicolon or tab
separated) and stores every quotation, header and lines, in the Firebird 3 company
database of the Merkalo business suite, with the articles validated and the taxes,
discount and totals computed. It runs in a window (Spanish), unattended from the
command line for scheduled imports, or as a preview of how a file will be read.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg-shlibdeps names the libraries the program links: the C and C++ runtime and Qt
# (libqt6core6, libqt6gui6, libqt6widgets6). The Firebird client library is opened
# with dlopen when the program connects, so it has to be named here, and so does
# fonts-liberation, whose faces the window asks for by name, and
# qt6-translations-l10n, whose Spanish texts Qt's own dialogs and buttons take at
# start (read from Qt's translations folder, not linked). The embedded engine is
# only needed for a server location without a host, hence a recommendation.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libfbclient2 (>= 3.0), fonts-liberation, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "firebird3.0-server-core")

# "make package_source" must not sweep up build trees, the demo company or git.
set(CPACK_SOURCE_IGNORE_FILES "^${PROJECT_SOURCE_DIR}/(\\\\.git|build|demo)/")

include(CPack)
