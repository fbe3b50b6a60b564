# The Debian package made by `make package` (cpack -G DEB in the build folder).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zeb)
set(CPACK_PACKAGE_VENDOR "ZEB developers")
set(ZEB_PACKAGE_MAINTAINER "ZEB developers <zeb@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${ZEB_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION} for the Linux desktop")
set(CPACK_PACKAGE_DESCRIPTION
    "ZEB listens to one sound input, folds its spectrum into 32 bands and\n\
switches twelve light channels every 35 ms: on its own window and on lamps\n\
connected to a parallel port, a serial port, an FTDI USB chip or the\n\
keyboard LEDs, and on DMX fixtures of the lighting network through OLA.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The first Debian revision of this version; packaging/changelog starts with the same.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The runtime libraries come from the executable itself through dpkg-shlibdeps: Qt 6 Widgets,
# Gui and Core, libpulse, FFTW (single precision), libftdi1, libserialport and libsndfile.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's fonts are stood in for by these free families; Qt's Wayland platform lets the
# window run natively on a Wayland desktop instead of through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-liberation2, fonts-dejavu-core, fonts-freefont-ttf, qt6-wayland")
# The DMX output is a client of OLA's daemon, which the user installs and starts when wanted.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ola")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/postinst
    ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
