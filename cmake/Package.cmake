# The Debian packages made by `make package` (cpack -G DEB in the build folder): zeb-headless,
# which a machine without a screen installs alone, and zeb, the window, on top of it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zeb)
set(CPACK_PACKAGE_VENDOR "ZEB developers")
set(ZEB_PACKAGE_MAINTAINER "ZEB developers <zeb@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${ZEB_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each package's description below starts with its own summary line. CPack puts the project's
# summary before it unless that is CPack's default text, so it is left at that.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_NAME} built using CMake")
# The first Debian revision of this version; packaging/changelog starts with the same.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
if(TARGET zeb)
    set(CPACK_COMPONENTS_ALL headless window)
else()
    set(CPACK_COMPONENTS_ALL headless)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A cross build (cmake/aarch64-linux-gnu.cmake) packages for the machine it builds for, not for
# the one it runs on.
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()
set(CPACK_DEBIAN_PACKAGE_SOURCE zeb)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The runtime libraries come from the executables themselves through dpkg-shlibdeps: libpulse,
# FFTW (single precision), libftdi1, libserialport, libsndfile, OLA's client and aubio (from
# the modules), libmicrohttpd and libqrencode (the web page) for both; Qt 6
# Widgets, Gui and Core for the window.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(zeb_lamps_text "switches twelve light channels every 35 ms on lamps connected to a\n\
parallel port, a serial port, an FTDI USB chip or the keyboard LEDs, and on\n\
DMX fixtures of the lighting network through OLA.")

set(CPACK_DEBIAN_HEADLESS_PACKAGE_NAME zeb-headless)
set(CPACK_COMPONENT_HEADLESS_DESCRIPTION "${PROJECT_DESCRIPTION} as a service, without a screen
ZEB listens to one sound input, folds its spectrum into 32 bands and\n\
${zeb_lamps_text}\n\
This package holds the program without a window, zeb-headless, with its\n\
user service and the device rules for the lamp outputs; it needs no Qt.")
# The DMX output is a client of OLA's daemon, which the user installs and starts when wanted.
set(CPACK_DEBIAN_HEADLESS_PACKAGE_SUGGESTS "ola")
set(CPACK_DEBIAN_HEADLESS_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/postinst
    ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_HEADLESS_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME zeb)
set(CPACK_COMPONENT_WINDOW_DESCRIPTION "${PROJECT_DESCRIPTION} for the Linux desktop
ZEB listens to one sound input, folds its spectrum into 32 bands and\n\
${zeb_lamps_text}\n\
This package holds the window, zeb; `zeb --headless` runs zeb-headless.")
# `zeb --headless` starts the zeb-headless beside it, so the two come in the same version.
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS
    "zeb-headless (= ${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})")
# The window's fonts are stood in for by these free families; Qt's Wayland platform lets the
# window run natively on a Wayland desktop instead of through XWayland.
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS
    "fonts-liberation2, fonts-dejavu-core, fonts-freefont-ttf, qt6-wayland")

include(CPack)
