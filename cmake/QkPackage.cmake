# CPack: `cpack -G DEB` (in the build folder) packs what `cmake --install` lays out into a .deb
# for /usr. Package dependencies come from dpkg-shlibdeps where it is installed (dpkg-dev);
# without it, from the list below.

set(CPACK_PACKAGE_NAME qkdriver)
set(CPACK_PACKAGE_VENDOR "QKDriver developers")
set(QK_PACKAGE_CONTACT "QKDriver developers <maintainers@qkdriver.invalid>" CACHE STRING
    "Maintainer of the .deb (name <address>)")
set(CPACK_PACKAGE_CONTACT "${QK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configure wired and wireless gaming mice")
set(CPACK_PACKAGE_DESCRIPTION
    "QKDriver sets up the buttons, macros, DPI stages, report rate, lighting and OLED picture of\n"
    "the Falcon, Kite, Osprey, Swift, Wren, Lark and Heron gaming mice, by cable or through their\n"
    "2.4 GHz receiver, and pairs and updates them. qkdriverctl does the same from the command\n"
    "line. A udev rule lets the user signed in at the computer open the devices.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${QK_HOMEPAGE_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES OFF)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev")
find_program(QK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QK_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(qk_depends "")
else()
  set(qk_depends "libqt5core5a (>= 5.15), libqt5gui5 (>= 5.15), libqt5widgets5 (>= 5.15), libqt5network5 (>= 5.15), libqt5svg5 (>= 5.15), libhidapi-hidraw0")
endif()
# Loaded at run time, so no library dependency names them: the server's SQLite driver, and its
# PostgreSQL driver for a server given a PostgreSQL database.
if(TARGET qkdriver-server)
  list(APPEND qk_depends "libqt5sql5-sqlite")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt5sql5-psql")
endif()
string(REPLACE ";" ", " CPACK_DEBIAN_PACKAGE_DEPENDS "${qk_depends}")

# After installing or removing: udev reads the rule at once (a device already plugged in gets
# it with the trigger), and systemd learns of the server's unit (which stays disabled).
set(qk_maint ${CMAKE_BINARY_DIR}/packaging/debian)
foreach(script postinst postrm)
  file(WRITE ${qk_maint}/staging/${script}
    "#!/bin/sh\n"
    "set -e\n"
    "if [ -d /run/udev ] && command -v udevadm >/dev/null 2>&1; then\n"
    "    udevadm control --reload-rules || true\n"
    "    udevadm trigger --subsystem-match=hidraw --action=add || true\n"
    "fi\n"
    "if [ -d /run/systemd/system ] && command -v systemctl >/dev/null 2>&1; then\n"
    "    systemctl daemon-reload || true\n"
    "fi\n"
    "exit 0\n")
  file(COPY ${qk_maint}/staging/${script} DESTINATION ${qk_maint}
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                        WORLD_READ WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${qk_maint}/postinst;${qk_maint}/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/build.*/;/\\\\.git/")
include(CPack)
