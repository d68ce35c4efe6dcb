# Installation rules and the two Debian packages built from them by CPack:
#   orvane          the client, its installation data under share/orvane, menu entry,
#                   icons and AppStream metainfo
#   orvane-hosting  the reference hosting server and the site renderer with the skins,
#                   run by systemd as a system user of its own
# "cpack -G DEB" in the build folder makes both (scripts/package.sh).

include(GNUInstallDirs)
# Installing (and so packaging) takes what is built; it does not build every test first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(ORVANE_HOMEPAGE "https://orvane.example/" CACHE STRING
    "The project's web address, named by the packages and the AppStream metainfo")
set(ORVANE_DIST ${CMAKE_SOURCE_DIR}/dist)
set(ORVANE_DATA_DEST ${CMAKE_INSTALL_DATADIR}/orvane)

# ---- the client ----
install(TARGETS orvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT client)
# The pristine installation data; "initPath.ini", the working folder and the backup are
# each user's own and made at first start.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/install/ DESTINATION ${ORVANE_DATA_DEST} COMPONENT client
        REGEX "^${CMAKE_SOURCE_DIR}/install/initPath\\.ini$" EXCLUDE)
install(FILES ${ORVANE_PRISTINE_DB} DESTINATION ${ORVANE_DATA_DEST}/initdata COMPONENT client)
# The skins: the template catalogue names each template's title under its code in the
# choice dialogs, and the local preview renders the site with them as the server does.
install(DIRECTORY ${ORVANE_BIN_DIR}/skins/ DESTINATION ${ORVANE_DATA_DEST}/skins
        COMPONENT client)
install(FILES ${ORVANE_DIST}/orvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT client)
install(DIRECTORY ${ORVANE_DIST}/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT client)
configure_file(${ORVANE_DIST}/org.orvane.Orvane.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/dist/org.orvane.Orvane.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/org.orvane.Orvane.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT client)

# ---- the hosting server ----
install(TARGETS orvane-hosting orvane-publish RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT hosting)
install(DIRECTORY ${ORVANE_BIN_DIR}/skins/ DESTINATION ${CMAKE_INSTALL_DATADIR}/orvane-hosting/skins
        COMPONENT hosting)
# Debian keeps system units and their options here, outside the installation prefix.
install(FILES ${ORVANE_DIST}/orvane-hosting.service DESTINATION /lib/systemd/system
        COMPONENT hosting)
install(FILES ${ORVANE_DIST}/orvane-hosting.default DESTINATION /etc/default
        RENAME orvane-hosting COMPONENT hosting)

# ---- what every package carries: copyright, change log, read-me ----
set(ORVANE_DEB_RELEASE 1)
string(TIMESTAMP ORVANE_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ORVANE_CONTACT "Orvane <packages@orvane.example>")
file(WRITE ${CMAKE_BINARY_DIR}/dist/changelog.Debian
     "orvane (${PROJECT_VERSION}-${ORVANE_DEB_RELEASE}) unstable; urgency=medium\n\n"
     "  * Packaged from the project's own build.\n\n"
     " -- ${ORVANE_CONTACT}  ${ORVANE_DEB_DATE}\n")
execute_process(COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/dist/changelog.Debian)
foreach(comp_pkg client:orvane hosting:orvane-hosting)
    string(REPLACE ":" ";" pair ${comp_pkg})
    list(GET pair 0 comp)
    list(GET pair 1 pkg)
    install(FILES ${ORVANE_DIST}/copyright ${CMAKE_BINARY_DIR}/dist/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${pkg} COMPONENT ${comp})
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/hosting/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvane-hosting COMPONENT hosting)

# ---- CPack ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_CONTACT "${ORVANE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL client hosting)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ORVANE_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SOURCE orvane)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ORVANE_HOMEPAGE}")
# The libraries the programs link come from dpkg-shlibdeps; only what is loaded at run
# time without being linked (database driver, browser process, window-system plugin,
# a Chinese font) is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME orvane)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION web)
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6webenginecore6-bin, qt6-qpa-plugins, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_CLIENT_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_CLIENT_DESCRIPTION "desktop client for building and publishing web sites
Orvane describes an organisation's web site offline: its identity and
contacts, a tree of folders and pages in eleven page formats, texts, news,
galleries, products, rich-text pages, templates and appearance. It then logs
in to a hosting server and uploads the site, which the server publishes.
The interface is in Simplified Chinese.")

set(CPACK_DEBIAN_HOSTING_PACKAGE_NAME orvane-hosting)
set(CPACK_DEBIAN_HOSTING_PACKAGE_SECTION web)
set(CPACK_DEBIAN_HOSTING_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_HOSTING_DESCRIPTION "reference hosting server for the Orvane client
orvane-hosting speaks the server side of the Orvane client's protocol:
accounts, site short names, notices and messages, and the archive upload,
which it unpacks, renders into a static site with the bundled skins and
serves over HTTP. A systemd unit runs it as a system user of its own with
its data in /var/lib/orvane-hosting; its options are kept in
/etc/default/orvane-hosting. orvane-publish renders an upload by hand.")
file(WRITE ${CMAKE_BINARY_DIR}/dist/hosting/conffiles "/etc/default/orvane-hosting\n")
set(CPACK_DEBIAN_HOSTING_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/dist/hosting/conffiles)

include(CPack)
