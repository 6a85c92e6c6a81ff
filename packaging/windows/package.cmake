# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows downloads, included by platform/win32 once Tavrel is defined:
#   package  a zip of the program, the hook library if the program imports it, and the readme
#   msi      (64-bit build) the per-user installer, built by wixl from Tavrel.wxs
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(tavrel_release win64)
else()
    set(tavrel_release win32)
endif()

# The 32-bit release counts through TavrelHooks.dll; a program that does not import it is
# shipped without it.
get_target_property(tavrel_links Tavrel LINK_LIBRARIES)
set(tavrel_package_files $<TARGET_FILE:Tavrel>)
set(tavrel_package_names Tavrel.exe)
set(tavrel_with_hooks 0)
if("TavrelHooks::import" IN_LIST tavrel_links)
    list(APPEND tavrel_package_files $<TARGET_FILE:TavrelHooks>)
    list(APPEND tavrel_package_names TavrelHooks.dll)
    set(tavrel_with_hooks 1)
endif()
set(tavrel_readme ${CMAKE_CURRENT_LIST_DIR}/README.txt)

set(package_name Tavrel-${PROJECT_VERSION}-${tavrel_release}.zip)
set(package_dir ${CMAKE_BINARY_DIR}/package)
add_custom_target(package
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${package_dir}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${tavrel_package_files} ${tavrel_readme} ${package_dir}
    COMMAND ${CMAKE_COMMAND} -E chdir ${package_dir}
            ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/${package_name} --format=zip
            ${tavrel_package_names} README.txt
    DEPENDS Tavrel
    COMMENT "Packing ${package_name}")

if(NOT tavrel_release STREQUAL "win64")
    return()
endif()
find_program(WIXL_EXECUTABLE wixl)
find_program(MSIBUILD_EXECUTABLE msibuild)
if(NOT WIXL_EXECUTABLE OR NOT MSIBUILD_EXECUTABLE)
    message(STATUS "wixl or msibuild not found: no msi target (scripts/setup.sh installs them)")
    return()
endif()
# The installer's own action: on removal, the Start with Windows entry of the installed copy.
add_library(TavrelSetupActions SHARED ${CMAKE_CURRENT_LIST_DIR}/setup_actions_win32.cpp)
# msi.dll, by flag: "msi" names the installer target here.
target_link_libraries(TavrelSetupActions PRIVATE tavrel_startup_win32 -lmsi)
set_target_properties(TavrelSetupActions PROPERTIES PREFIX "")
target_link_options(TavrelSetupActions PRIVATE $<$<CONFIG:Release>:-s>)
file(RELATIVE_PATH tavrel_actions_rel ${CMAKE_BINARY_DIR} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/TavrelSetupActions.dll)

# What wixl cannot say: Start with Windows is installed when STARTWITHWINDOWS is set, and the
# installer's own action runs on removal, after the package's registry values go.
set(tavrel_msi_queries
    -q "CREATE TABLE `Condition` (`Feature_` CHAR(38) NOT NULL, `Level` SHORT NOT NULL, `Condition` CHAR(255) PRIMARY KEY `Feature_`, `Level`)"
    -q "INSERT INTO `Condition` (`Feature_`, `Level`, `Condition`) VALUES ('StartWithWindows', 1, 'STARTWITHWINDOWS')"
    -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('RemoveStartWithWindows', 'REMOVE=\"ALL\" AND NOT UPGRADINGPRODUCTCODE', 2601)")
# Windows Installer compares three fields of the version. The tests also build the next
# version of the same package, to upgrade to.
math(EXPR tavrel_next_patch "${PROJECT_VERSION_PATCH} + 1")
set(tavrel_msi_versions
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}"
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${tavrel_next_patch}")
set(tavrel_msi_files
    ${CMAKE_BINARY_DIR}/Tavrel-${PROJECT_VERSION}-${tavrel_release}.msi
    ${CMAKE_BINARY_DIR}/test-packages/Tavrel-next-${tavrel_release}.msi)
# wixl takes no absolute source paths: they are given relative to the build folder.
file(RELATIVE_PATH tavrel_bin_rel ${CMAKE_BINARY_DIR} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
file(RELATIVE_PATH tavrel_readme_rel ${CMAKE_BINARY_DIR} ${tavrel_readme})
file(RELATIVE_PATH tavrel_icon_rel ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR}/resources/icons/tavrel.ico)
foreach(i 0 1)
    list(GET tavrel_msi_versions ${i} version)
    list(GET tavrel_msi_files ${i} file)
    get_filename_component(folder ${file} DIRECTORY)
    add_custom_command(OUTPUT ${file}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${WIXL_EXECUTABLE} -a x64 -o ${file}
                -D Version=${version} -D BinDir=${tavrel_bin_rel}
                -D WithHooks=${tavrel_with_hooks} -D Readme=${tavrel_readme_rel}
                -D IconFile=${tavrel_icon_rel} -D SetupActions=${tavrel_actions_rel}
                ${CMAKE_CURRENT_LIST_DIR}/Tavrel.wxs
        COMMAND ${MSIBUILD_EXECUTABLE} ${file} ${tavrel_msi_queries}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        DEPENDS Tavrel TavrelSetupActions ${CMAKE_CURRENT_LIST_DIR}/Tavrel.wxs ${tavrel_readme}
        COMMENT "Building the installer of version ${version}"
        VERBATIM)
endforeach()
add_custom_target(msi ALL DEPENDS ${tavrel_msi_files})
# Where the tests find the package and its next version.
set_target_properties(msi PROPERTIES TAVREL_MSI_FILES "${tavrel_msi_files}")
