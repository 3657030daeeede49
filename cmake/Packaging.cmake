# The Debian package (scripts/package): cpack --config <build>/CPackConfig.cmake makes
# marlune_<version>_amd64.deb from what `cmake --install` puts below /usr.
#
# Depends comes from the shared libraries of the programs (dpkg-shlibdeps), plus Qt's
# Chinese translations. Recommends holds Qt's Wayland platform (for a Wayland desktop
# without XWayland) and the web pane module's own libraries: the module is loaded only when
# a web page is shown, and the program opens pages in the default browser when the module
# or Qt WebEngine is missing (packaging/DebianDepends.cmake).

install(TARGETS marlune-cli RUNTIME DESTINATION bin)

# Manual pages, compressed as Debian wants them.
set(_man_pages marlune marlune-cli)
foreach(_page IN LISTS _man_pages)
  set(_source ${PROJECT_SOURCE_DIR}/docs/man/${_page}.1)
  set(_compressed ${PROJECT_BINARY_DIR}/man/${_page}.1.gz)
  add_custom_command(OUTPUT ${_compressed}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
                     COMMAND gzip -9nc ${_source} > ${_compressed}
                     DEPENDS ${_source} VERBATIM)
  list(APPEND _man_outputs ${_compressed})
  install(FILES ${_compressed} DESTINATION share/man/man1)
endforeach()
add_custom_target(marlune_man_pages ALL DEPENDS ${_man_outputs})

# The package's own documents.
set(_changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${_changelog}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
                   COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${_changelog}
                   DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog VERBATIM)
add_custom_target(marlune_package_docs ALL DEPENDS ${_changelog})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright DESTINATION share/doc/marlune)
install(FILES ${_changelog} DESTINATION share/doc/marlune)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marlune)
set(CPACK_PACKAGE_VENDOR Orvento)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop stock-quote ticker for the Shanghai and Shenzhen markets")
set(CPACK_PACKAGE_DESCRIPTION
    "Marlune shows a small borderless window with the live prices, change,
volume and turnover of the stocks on a watch list, and the profit or loss
of each holding, refreshed every few seconds from a public quote service.
It docks at the screen's edge, alerts on price limits from the notification
area and opens the data pages of a stock. marlune-cli prints the same watch
list in a terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvento <marlune@orvento.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.orvento.invalid/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
# Qt's Wayland platform, for a Wayland desktop without XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The web pane module is set apart before dpkg-shlibdeps runs over the package.
set(CPACK_MARLUNE_WEB_MODULE lib/marlune/${CMAKE_SHARED_MODULE_PREFIX}marlune_webengine${CMAKE_SHARED_MODULE_SUFFIX})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/DebianDepends.cmake)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/package)
include(CPack)
