# SPDX-License-Identifier: GPL-3.0-or-later
# TavrelHooks.dll and the import library through which the program binds its exports.
# Included from hooks/CMakeLists.txt on Windows builds only.

# One .def serves both architectures: 64-bit Windows has no stdcall decoration, so the
# "@n" suffixes are dropped there (the " @n" ordinals stay).
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/src/TavrelHooks.def tavrel_hooks_def)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" tavrel_hooks_def
                         "${tavrel_hooks_def}")
endif()
set(TAVREL_HOOKS_DEF ${CMAKE_CURRENT_BINARY_DIR}/TavrelHooks.def)
file(CONFIGURE OUTPUT ${TAVREL_HOOKS_DEF} CONTENT "${tavrel_hooks_def}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_CURRENT_SOURCE_DIR}/src/TavrelHooks.def)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TAVREL_HOOKS_ENTRY DllMain)
else()
    set(TAVREL_HOOKS_ENTRY _DllMain@12)
endif()

add_library(TavrelHooks SHARED src/hooks_win32.cpp)
target_link_libraries(TavrelHooks PRIVATE tavrel_hooks_core)
set_target_properties(TavrelHooks PROPERTIES
    PREFIX ""
    OUTPUT_NAME TavrelHooks
    # The import library the linker writes cannot link stdcall callers: keep it out of the
    # way of the one made below.
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/linker-implib
    LINK_DEPENDS ${TAVREL_HOOKS_DEF}
)
target_compile_options(TavrelHooks PRIVATE
    ${TAVREL_HOOKS_FREESTANDING_FLAGS} -fno-asynchronous-unwind-tables -O2)
# No runtime at all: the system libraries only, and the loader calls DllMain directly.
target_link_options(TavrelHooks PRIVATE
    -nostdlib -nostartfiles
    -Wl,-e,${TAVREL_HOOKS_ENTRY}
    -Wl,--kill-at
    ${TAVREL_HOOKS_DEF}
)
set_property(TARGET TavrelHooks PROPERTY CXX_STANDARD_LIBRARIES "")
set(CMAKE_CXX_STANDARD_LIBRARIES "")
target_link_libraries(TavrelHooks PRIVATE user32 kernel32)

# Import library for stdcall callers: dlltool -k keeps the decorated symbols for the
# callers and binds them to the undecorated export names.
set(TAVREL_HOOKS_IMPLIB ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/libTavrelHooks.a)
add_custom_command(
    OUTPUT ${TAVREL_HOOKS_IMPLIB}
    COMMAND ${CMAKE_DLLTOOL} -d ${TAVREL_HOOKS_DEF} -l ${TAVREL_HOOKS_IMPLIB} -k
    DEPENDS ${TAVREL_HOOKS_DEF}
    COMMENT "Import library libTavrelHooks.a"
    VERBATIM
)
add_custom_target(TavrelHooks_implib ALL DEPENDS ${TAVREL_HOOKS_IMPLIB})
add_dependencies(TavrelHooks_implib TavrelHooks)

# What the program links to bind the three exports by name.
add_library(tavrel_hooks_import INTERFACE)
target_include_directories(tavrel_hooks_import INTERFACE ${CMAKE_CURRENT_SOURCE_DIR}/include)
target_link_libraries(tavrel_hooks_import INTERFACE ${TAVREL_HOOKS_IMPLIB})
set_property(TARGET tavrel_hooks_import PROPERTY INTERFACE_LINK_DEPENDS ${TAVREL_HOOKS_IMPLIB})
add_dependencies(tavrel_hooks_import TavrelHooks_implib)
add_library(TavrelHooks::import ALIAS tavrel_hooks_import)
