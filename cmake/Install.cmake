# Installs ZEB the way a desktop program is installed: the executable and its headless sibling,
# a menu entry with its icon in the hicolor theme, the user service unit, and the udev rules
# that let the logged-in user reach the lamp outputs. Included last from the top-level CMakeLists.txt, after every target exists.
include(GNUInstallDirs)

if(TARGET zeb)
    install(TARGETS zeb RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# `zeb --headless` runs it from the same folder.
install(TARGETS zeb-headless RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The service of the logged-in user (systemctl --user enable --now zeb).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zeb.service DESTINATION lib/systemd/user)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/zeb.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

foreach(size IN ITEMS 16 22 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/hicolor/${size}x${size}/apps/zeb.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/zeb.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# udev reads /usr/lib/udev/rules.d and /etc/udev/rules.d only: a prefix other than /usr needs
# the file copied to /etc/udev/rules.d by hand (see README, "Install").
install(FILES ${PROJECT_SOURCE_DIR}/packaging/70-zeb.rules DESTINATION lib/udev/rules.d)

include(Package)
