# Installation and the Debian package (CPack's DEB generator; tools/package makes it).
# A game in Debian's sense: the program and its kiosk go to PREFIX/games, the manual page to
# section 6.
include(GNUInstallDirs)

set(TARVIK_VERSION 0.1.0)
set(package_dir ${CMAKE_CURRENT_LIST_DIR})
set(packaged ${CMAKE_BINARY_DIR}/packaged)

# Manual pages and the changelog go in compressed, with no name or time in the gzip header,
# so that the same sources give the same package.
file(MAKE_DIRECTORY ${packaged})
foreach(name tarvik01.6 changelog)
    add_custom_command(OUTPUT ${packaged}/${name}.gz
        COMMAND gzip -9 -n -c ${package_dir}/${name} > ${packaged}/${name}.gz
        DEPENDS ${package_dir}/${name} VERBATIM)
endforeach()
add_custom_target(tarvik_package_files DEPENDS ${packaged}/tarvik01.6.gz ${packaged}/changelog.gz)
# Whatever builds the program (tools/play builds nothing else) leaves it ready to install.
add_dependencies(tarvik01 tarvik_package_files)
# The menu start and the kiosk share the program's page.
foreach(name tarvik01-menu tarvik01-kiosk)
    file(CREATE_LINK tarvik01.6.gz ${packaged}/${name}.6.gz SYMBOLIC)
endforeach()

install(TARGETS tarvik01 DESTINATION games)
install(PROGRAMS kiosk/tarvik01-kiosk ${package_dir}/tarvik01-menu DESTINATION games)
install(FILES ${packaged}/tarvik01.6.gz ${packaged}/tarvik01-menu.6.gz
    ${packaged}/tarvik01-kiosk.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${package_dir}/tarvik01.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${package_dir}/tarvik01-kiosk.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/xsessions)
install(FILES ${package_dir}/tarvik01.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
install(FILES ${package_dir}/invalid.tarvik.tarvik01.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${package_dir}/copyright ${packaged}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarvik01)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik01)
set(CPACK_PACKAGE_VERSION ${TARVIK_VERSION})
set(CPACK_PACKAGE_CONTACT "The tarvik01 developers <dev@tarvik.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "full-screen generative picture machine played with the mouse")
# CPack puts the summary in front of this, as the synopsis.
set(CPACK_PACKAGE_DESCRIPTION
    "Each click places a solid digit that flies onto a grid of 64; the digits
become twelve glyphs, the glyphs a line diagram, and the diagram, at a click,
a greyscale picture saved with a gallery of every picture taken.
.
Started from the desktop's menu, it plays in the user's pictures folder,
where its pictures and their gallery stay, in tarvikImages.
.
The kiosk command, tarvik01-kiosk, keeps the piece on the screen of an
exhibition machine: it starts it again after every end, crash or hang, and
comes with an X session for a display manager's autologin.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A cross-build is packaged for the architecture it was built for (arm64 for aarch64-linux-gnu),
# not for this machine's.
if(CMAKE_CROSSCOMPILING)
    execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -q DEB_HOST_ARCH
        OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY)
    # dpkg-shlibdeps looks for the program's libraries in the root it was linked against.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
        ${CMAKE_SYSROOT}/lib/${CMAKE_LIBRARY_ARCHITECTURE}
        ${CMAKE_SYSROOT}/usr/lib/${CMAKE_LIBRARY_ARCHITECTURE})
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The kiosk is Python, switches blanking off with xset, and asks the display for its modes
# (libXxf86vm, which x11-utils brings) and says on the screen when none fits with xmessage.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3, x11-xserver-utils, x11-utils")
# The menu start asks it for the pictures folder, and falls back on ~/Pictures without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-user-dirs")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
