# The Debian package: `cpack -G DEB` in a Release build configured with
# -DCMAKE_INSTALL_PREFIX=/usr (scripts/package does both) makes kv27500_VERSION_amd64.deb
# from what `cmake --install` installs. The dependencies are read from the binaries by
# dpkg-shlibdeps, not listed here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kv27500)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KV_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "display and logger for the VELOMAX KV27500 multimeter")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KV_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KV_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's translations give its own dialog texts (the file dialog's buttons) in the language the
# program speaks.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion, qt6-translations-l10n")
# The long description under the summary; CPack indents it and marks the empty line.
set(CPACK_PACKAGE_DESCRIPTION "kv27500 polls a VELOMAX KV27500 handheld digital multimeter over a serial
line about ten times a second and shows every reading as big digits, on a
needle meter, on a level bar and in a trend chart that zooms and scrolls.

It records the readings to CSV files, logs without a window for unattended
runs, and comes with kv27500-sim, a simulated meter on a pseudo-terminal for
trying it without the device.")

include(CPack)
