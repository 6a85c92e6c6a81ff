# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack once the packages are made. CPack writes the debug symbols package with
# absolute paths in its md5sums and without the documentation link that Debian's dbgsym
# packages have; this builds it again from its own contents, right.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.ddeb$")
        continue()
    endif()
    set(tree ${CPACK_TOPLEVEL_DIRECTORY}/dbgsym-tree)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb -R ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    file(GLOB_RECURSE files RELATIVE ${tree} ${tree}/usr/*)
    set(sums "")
    foreach(f IN LISTS files)
        file(CHMOD ${tree}/${f} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        file(MD5 ${tree}/${f} md5)
        string(APPEND sums "${md5}  ${f}\n")
    endforeach()
    file(WRITE ${tree}/DEBIAN/md5sums "${sums}")
    file(MAKE_DIRECTORY ${tree}/usr/share/doc)
    file(CREATE_LINK tavrel ${tree}/usr/share/doc/tavrel-dbgsym SYMBOLIC)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz -b ${tree} ${package}
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
