# SPDX-License-Identifier: GPL-3.0-or-later
# 64-bit Windows build: the same sources, run under Wine by the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TAVREL_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
find_program(TAVREL_WINE wine)
if(TAVREL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVREL_WINE})
endif()
