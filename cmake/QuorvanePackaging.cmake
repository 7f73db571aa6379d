# The Debian package: `cpack` in a build tree makes quorvane_<version>-<release>_<arch>.deb from
# the install() rules. Its dependencies come from the installed binaries (dpkg-shlibdeps), so the
# package states exactly the libraries the build linked.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR Brelmont)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brelmont Quorvane team <quorvane@quorvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "OPC UA server inspector: every variable in one list")
# Debian's description lines stay under 80 columns and none may start with a dot; an empty line
# separates paragraphs.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quorvane connects to one OPC UA server, walks its address space and shows\n"
    "every variable node in one flat list with its NodeId, name, live value,\n"
    "quality, time stamp and data type. Rows can be filtered, sorted and\n"
    "deleted, NodeIds copied and values written, and the list exported as an\n"
    "XLS, XLSX or CSV file. Server certificates are checked before a password\n"
    "is sent.\n"
    "\n"
    "The same scan runs without a window for scripts (quorvane --export).\n"
    "A small demo server, quorvane-demo-server, is included to try it on.")

set(CPACK_DEBIAN_PACKAGE_NAME quorvane)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quorvane.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs in Chinese, and a font that has the Chinese texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

include(CPack)
