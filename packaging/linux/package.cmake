# SPDX-License-Identifier: GPL-3.0-or-later
# The Linux program's desktop files and its Debian package (cmake --build ... --target
# package): the program, the menu entry and the application icon in the hicolor theme, the
# PNGs made at build time from resources/icons/tavrel.ico; the input service's program and
# units come from platform/linux/inputd, its maintainer scripts from debian/ here.
set(tavrel_linux_packaging ${PROJECT_SOURCE_DIR}/packaging/linux)

add_executable(ico_to_png ${tavrel_linux_packaging}/ico_to_png.cpp)
target_link_libraries(ico_to_png PRIVATE Qt6::Gui)

set(tavrel_icon_pngs "")
foreach(size 16 32 48 64 128 256)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/tavrel.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:ico_to_png> ${PROJECT_SOURCE_DIR}/resources/icons/tavrel.ico ${size} ${png}
        DEPENDS ico_to_png ${PROJECT_SOURCE_DIR}/resources/icons/tavrel.ico
        COMMENT "Application icon, ${size}x${size}")
    list(APPEND tavrel_icon_pngs ${png})
    install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(tavrel_icon_pngs ALL DEPENDS ${tavrel_icon_pngs})

install(TARGETS tavrel RUNTIME DESTINATION bin)
install(FILES ${tavrel_linux_packaging}/tavrel.desktop DESTINATION share/applications)
# What software centres show of it, beside the menu entry it names.
install(FILES ${tavrel_linux_packaging}/org.example.tavrel.metainfo.xml DESTINATION share/metainfo)
install(FILES ${tavrel_linux_packaging}/debian/copyright DESTINATION share/doc/tavrel)

# The manual pages and the changelog, compressed as Debian wants them: gzip -9, no name or
# time stamp inside, so that the package builds the same twice.
set(tavrel_gzipped "")
foreach(pair "man/tavrel.1:share/man/man1" "man/tavrel-inputd.8:share/man/man8"
             "debian/changelog:share/doc/tavrel")
    string(REPLACE ":" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 destination)
    get_filename_component(name ${source} NAME)
    # The package is native (no Debian revision): its changelog is changelog.gz.
    set(gz ${CMAKE_CURRENT_BINARY_DIR}/gz/${name}.gz)
    add_custom_command(OUTPUT ${gz}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/gz
        COMMAND gzip -9n -c ${tavrel_linux_packaging}/${source} > ${gz}
        DEPENDS ${tavrel_linux_packaging}/${source}
        COMMENT "Compressing ${source}")
    list(APPEND tavrel_gzipped ${gz})
    install(FILES ${gz} DESTINATION ${destination})
endforeach()
add_custom_target(tavrel_package_docs ALL DEPENDS ${tavrel_gzipped})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VERSION ${TAVREL_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "The Tavrel developers")
set(CPACK_PACKAGE_CONTACT "Tavrel developers <tavrel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Counts mouse and keyboard use and warns before it hurts")
# The body; CPack puts the summary above it and indents each line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tavrel counts every mouse move, drag, click, double-click and keystroke on
the desktop, turns that activity into a running pain figure with the
user's own weights, lets it decay during breaks and raises an alarm when
it reaches a threshold. It keeps every minute of use in an open CSV
format and shows a day or the last 30 days.

Under X11 it reads the desktop's input with the X RECORD extension. In a
Wayland session the system service tavrel-inputd, which this package
installs, counts the seat's keyboards and pointing devices for the user in
front of the screen only, and hands out counts, never keys, positions or
times.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Stripped programs in the package; their debug symbols go apart, into tavrel-dbgsym (a
# .ddeb beside the .deb), found by build id.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_POST_BUILD_SCRIPTS ${tavrel_linux_packaging}/dbgsym_fix.cmake)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tavrel.example.org)
# The libraries the program links come from dpkg-shlibdeps; the X platform plugin and the
# .ico reader are loaded at run time, so their packages are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The input service needs systemd: its socket starts it, logind says who is in front, and
# systemd-sysusers makes its user.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6gui6, systemd")
# A Wayland window in a Wayland session; without the plugin the window goes through Xwayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${tavrel_linux_packaging}/debian/postinst
    ${tavrel_linux_packaging}/debian/prerm
    ${tavrel_linux_packaging}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
