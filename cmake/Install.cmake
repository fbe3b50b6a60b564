# Installs ZEB the way a desktop program is installed: the executable and its headless sibling,
# the DMX and tempo modules, a menu entry with its icon in the hicolor theme, its AppStream description,
# manual page, licence and changelog, the user service unit, and the udev rules that let the
# logged-in user reach the lamp outputs. Included last from the top-level CMakeLists.txt, after every target
# exists.
include(GNUInstallDirs)

# Two packages: "headless" (zeb-headless: the service program and everything a machine without
# a screen needs, no Qt) and "window" (zeb: the window program and its desktop integration,
# on top of zeb-headless). `cmake --install` without a component installs both.
set(zeb_headless_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/zeb-headless)
set(zeb_window_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/zeb)

# `zeb --headless` runs it from the same folder.
install(TARGETS zeb-headless RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT headless)
# Found from the programs' folder as ../lib/zeb, whatever the prefix.
install(TARGETS zeb-ola zeb-aubio LIBRARY DESTINATION lib/zeb COMPONENT headless)
# The service of the logged-in user (systemctl --user enable --now zeb).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zeb.service DESTINATION lib/systemd/user
    COMPONENT headless)
# udev reads /usr/lib/udev/rules.d and /etc/udev/rules.d only: a prefix other than /usr needs
# the file copied to /etc/udev/rules.d by hand (see README, "Install").
install(FILES ${PROJECT_SOURCE_DIR}/packaging/70-zeb.rules DESTINATION lib/udev/rules.d
    COMPONENT headless)

# The manual page (one page for both programs) and, where Debian keeps them, the licence terms
# and the changelog of each package; compressed without names or times, so every build gives
# the same bytes.
set(zeb_docs ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/zeb.1.in ${zeb_docs}/zeb.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${zeb_docs}/changelog.Debian COPYONLY)
foreach(doc IN ITEMS zeb.1 changelog.Debian)
    add_custom_command(OUTPUT ${zeb_docs}/${doc}.gz
        COMMAND gzip -9 -n -k -f ${doc}
        WORKING_DIRECTORY ${zeb_docs}
        DEPENDS ${zeb_docs}/${doc})
endforeach()
add_custom_target(zeb_docs ALL DEPENDS ${zeb_docs}/zeb.1.gz ${zeb_docs}/changelog.Debian.gz)
install(FILES ${zeb_docs}/zeb.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
    RENAME zeb-headless.1.gz COMPONENT headless)
install(FILES ${zeb_docs}/changelog.Debian.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
    DESTINATION ${zeb_headless_docdir} COMPONENT headless)

# Everything the install takes from the build tree: `make package` builds this before cpack.
add_custom_target(zeb_installed_files)
add_dependencies(zeb_installed_files zeb-headless zeb-ola zeb-aubio zeb_docs)

if(TARGET zeb)
    install(TARGETS zeb RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
    add_dependencies(zeb_installed_files zeb)

    install(FILES ${PROJECT_SOURCE_DIR}/packaging/zeb.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT window)
    foreach(size IN ITEMS 16 22 24 32 48 64 128 256)
        install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/hicolor/${size}x${size}/apps/zeb.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            COMPONENT window)
    endforeach()
    install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/zeb.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT window)
    # Where software centres look for the program's description.
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.example.zeb.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT window)

    # The window's own name for the shared page, and its package's documents.
    install(FILES ${zeb_docs}/zeb.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT window)
    install(FILES ${zeb_docs}/changelog.Debian.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${zeb_window_docdir} COMPONENT window)
endif()

include(Package)
