# Installing Tovrik Assistant as Linux users expect, and its Debian package.
#
# The layout is what core/DataFolder.cpp recognises as installed: the executable in "<prefix>/bin"
# beside "<prefix>/share/tovrik-assistant". Such a program keeps the user's files in the user's
# own folders ($XDG_CONFIG_HOME, $XDG_DATA_HOME) and reads its shipped languages from
# "<prefix>/share/tovrik-assistant/locale", so the installed folders are never written.
include(GNUInstallDirs)

set(TOVRIK_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/tovrik-assistant)

install(TARGETS tovrik-assistant tovrik-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tovrik-sim)
  install(TARGETS tovrik-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/locale/ DESTINATION ${TOVRIK_SHARE_DIR}/locale
        FILES_MATCHING PATTERN "*.lng")
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tovrik-assistant.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tovrik-assistant.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The Debian package: `cpack` in the build folder makes tovrik-assistant_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovrik-assistant)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tovrik")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration assistant for Tovrik GPS trackers")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build carries debug information for developers; users get stripped executables.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tovrik Assistant developers <developers@tovrik-assistant.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Configuration assistant for Tovrik GPS trackers
 A field technician connects a Tovrik GPS tracker to a serial port and reads
 and writes its settings: server address and APN, upload mode and interval,
 alarm channels, authorization numbers and 64 geo-fences drawn on a web map.
 Settings can be saved to parameter files and written to other trackers.
 .
 The package also holds tovrik-sim, a simulated tracker on a pseudo-terminal
 for trying the program without hardware (tovrik-assistant --simulate).")
# The packages of the libraries the executables link, from dpkg-shlibdeps. Debian 12's Qt puts
# the platform plugins (xcb, offscreen) in libqt6gui6, and Qt WebEngine's shared-library entry
# brings its helper process (libqt6webenginecore6-bin); scripts/test-package checks both.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window asks for Arial; Liberation Sans has its metrics, so the fixed layout fits.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
