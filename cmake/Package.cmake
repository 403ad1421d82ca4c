# cpack -G DEB (./kestrel package): a Debian package of the installed tree,
# made from the main build folder without building anything a second time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrel-plus)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Tolva)
set(CPACK_PACKAGE_CONTACT "Kestrel+ developers <kestrel-plus@tolva.jp>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "queue software for a Palm OS handheld's next HotSync")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Kestrel+ puts Palm OS applications (.prc), databases (.pdb), network\n"
  "settings (.pnc) and network scripts (.scp) into a HotSync user's install\n"
  "queue, also straight out of .zip and .lzh archives, keeps backup copies,\n"
  "converts documents through configurable programs and starts HotSync\n"
  "Manager. kestrel-hotsync, its HotSync service, installs the queue onto a\n"
  "handheld over network HotSync. kestrel-tool and kestrel-reg reach the same\n"
  "logic and settings from the command line.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tolva.jp/kestrel-plus/")
# The shared libraries' packages come from dpkg-shlibdeps (dpkg-dev); the
# programs the default converters and the viewer call are suggested.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libzip is loaded at run time, so the library scan does not see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libzip4")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-noto-cjk | fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "txt2pdbdoc")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Directories and files as Debian expects them (root-owned, 0755/0644).
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
