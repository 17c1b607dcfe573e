# What `cmake --install` puts in place, and the Debian package made of it
# with `cpack -G DEB`: the program, its desktop entry, the AppStream
# metainfo and the icon in the hicolor theme (SVG plus PNG sizes).
include(GNUInstallDirs)

set(CORVANE_APP_ID org.corvane.Admin)
install(TARGETS corvane-admin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/linux/${CORVANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(res/linux/${CORVANE_APP_ID}.metainfo.xml
               ${CMAKE_CURRENT_BINARY_DIR}/${CORVANE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${CORVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES res/icons/app.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${CORVANE_APP_ID}.svg)
foreach(size 16 24 32 48 64 128 256)
  install(FILES res/linux/icons/${CORVANE_APP_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${CORVANE_APP_ID}.png)
endforeach()
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane-admin)

set(CPACK_PACKAGE_NAME corvane-admin)
set(CPACK_PACKAGE_VENDOR "Corvane Admin developers")
set(CPACK_PACKAGE_CONTACT "Corvane Admin developers <admin@corvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Administration tool for the Corvane LAN messaging system")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://corvane.invalid/admin")
# The Qt libraries the program links (the platform and SVG plug-ins come
# with them) are found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Administration tool for the Corvane LAN messaging system\n Lists the users and recipient groups of a shared directory of client\n profiles, and restricts, configures and upgrades the clients.")
include(CPack)
