# What "cmake --install" puts on a machine besides the program itself (app/ installs
# that): the desktop entry and icon that put it in the desktop's menu, the manual
# page, the README, copyright, changelog and examples of a scheduled import. Then the
# Debian package that "cpack -G DEB" makes of the same tree (scripts/package).
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
# The pages the README links to, at the same relative place.
file(GLOB doc_pages ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${doc_pages} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
install(FILES ${packaging_dir}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Examples for a scheduled import, not enabled: the administrator copies and adapts them.
install(FILES ${packaging_dir}/examples/importarcot.service ${packaging_dir}/examples/importarcot.timer
              ${packaging_dir}/examples/importarcot.logrotate
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES ${packaging_dir}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME importarcot)

# The manual page (with the project's version put in) and the changelog go
# compressed, as Debian wants them: gzip -9, without name and time stamp, so that
# the same sources give the same files.
if(UNIX)
  find_program(IMPORTARCOT_GZIP gzip REQUIRED)
  configure_file(${PROJECT_SOURCE_DIR}/docs/importarcot.1 ${PROJECT_BINARY_DIR}/packaging/importarcot.1 @ONLY)
  configure_file(${packaging_dir}/changelog ${PROJECT_BINARY_DIR}/packaging/changelog.Debian COPYONLY)
  set(compressed "")
  foreach(name importarcot.1 changelog.Debian)
    set(plain ${PROJECT_BINARY_DIR}/packaging/${name})
    add_custom_command(OUTPUT ${plain}.gz COMMAND ${IMPORTARCOT_GZIP} -9nkf ${plain} DEPENDS ${plain}
                       COMMENT "Compressing ${name}" VERBATIM)
    list(APPEND compressed ${plain}.gz)
  endforeach()
  add_custom_target(compressed_docs ALL DEPENDS ${compressed})
  install(FILES ${PROJECT_BINARY_DIR}/packaging/importarcot.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(IMPORTARCOT_MAINTAINER "importarcot maintainers <importarcot@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME importarcot)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${IMPORTARCOT_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "imports sales quotations into a Merkalo company database")
# Lines of at most 80 columns, as the extended description is shown on terminals.
set(CPACK_PACKAGE_DESCRIPTION
    "Reads a delimited text file of sales quotations (Windows-1252, comma,
semicolon or tab separated) and stores every quotation, header and lines, in
the Firebird 3 company database of the Merkalo business suite, with the
articles validated and the taxes, discount and totals computed. It runs in a
window (Spanish), unattended from the command line for scheduled imports, or
as a preview of how a file will be read.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg-shlibdeps names the libraries the program links: the C and C++ runtime and Qt
# (libqt6core6, libqt6gui6, libqt6widgets6). The Firebird client library is opened
# with dlopen when the program connects, so it has to be named here, and so does
# fonts-liberation, whose faces the window asks for by name (Liberation Sans Narrow
# came with it up to its version 2, Debian 12's, and has a package of its own on
# Debian 13), and
# qt6-translations-l10n, whose Spanish texts Qt's own dialogs and buttons take at
# start (read from Qt's translations folder, not linked). The embedded engine is
# only needed for a server location without a host, hence a recommendation; it must
# be the one of the client library's Firebird version, which Debian 13's apt finds
# in the first alternative (Firebird 4) and Debian 12's, which has no Firebird 4,
# in the second.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libfbclient2 (>= 3.0), fonts-liberation, fonts-liberation-sans-narrow | fonts-liberation (<< 1:2), qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "firebird4.0-server-core | firebird3.0-server-core")

# "make package_source" must not sweep up build trees, the demo company or git.
set(CPACK_SOURCE_IGNORE_FILES "^${PROJECT_SOURCE_DIR}/(\\\\.git|build|demo)/")

include(CPack)
