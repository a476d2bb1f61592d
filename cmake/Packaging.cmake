# What an installation holds, and the Debian package made of it:
#   cmake --build build --target package   ->  build/gerundo_<version>_<arch>.deb
# Nothing here is part of the normal build; the package target is only built when asked for.
include(GNUInstallDirs)
install(TARGETS gerundo gerundo-mkdb RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS packaging/gerundo-launcher DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY templates/ DESTINATION ${CMAKE_INSTALL_DATADIR}/gerundo/templates
        FILES_MATCHING PATTERN "*.frf")
install(FILES packaging/gerundo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/gerundo.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gerundo)
set(CPACK_PACKAGE_VENDOR "Gerundo")
set(CPACK_PACKAGE_CONTACT "Gerundo fejlesztők <info@gerundo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Élőállat-gyűjtő és -kereskedő telep nyilvántartása")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Register of live animals passing through a livestock collecting and trading site.\n\
Qt 6 desktop program over an embedded Firebird 3 database; Hungarian user interface.\n\
Start it with gerundo-launcher (or from the desktop menu): the data folder is\n\
~/.local/share/gerundo.")
# The libraries the programs link come from dpkg-shlibdeps; these are loaded at run time instead:
# the embedded engine and its messages, Qt's window-system plugins, the fonts, Qt's own
# Hungarian texts (standard buttons of message boxes and file dialogs).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "firebird3.0-server-core, firebird3.0-common, qt6-qpa-plugins, fonts-dejavu-core, qt6-translations-l10n")
include(CPack)
