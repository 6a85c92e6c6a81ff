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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VERSION ${TAVREL_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "The Tavrel developers")
set(CPACK_PACKAGE_CONTACT "Tavrel developers <tavrel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Counts mouse and keyboard use and warns before it hurts")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
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
