# The Debian package: cpack -G DEB (scripts/package) makes leafturner_<version>_amd64.deb from what
# `cmake --install` puts in place. Library dependencies come from dpkg-shlibdeps; Qt's translations
# (and the platform plugins, which Qt loads at run time) are named here.
set(CPACK_PACKAGE_NAME leafturner)
set(CPACK_PACKAGE_VENDOR "Leafturner")
set(CPACK_PACKAGE_CONTACT "Leafturner developers <leafturner@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reader for long plain-text books, made for Chinese text")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY leafturner)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # leafturner_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, qt6-qpa-plugins, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Reader for long plain-text books, made for Chinese text\n"
    " Leafturner shows a .txt book in any common encoding as an open book on a desk:\n"
    " one page or a two-page spread, horizontal or vertical writing, animated page turns,\n"
    " a chapter list, bookmarks, bookshelves and an edit mode. Includes leafturner-cli.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
