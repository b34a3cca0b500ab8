# Cross-build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix), whose
# POSIX thread model gives std::thread and std::mutex without extra code. The programs run
# here under Wine: wine64 is the emulator CTest starts them with.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VARNADEX_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VARNADEX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNADEX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNADEX_MINGW}-windres)

# Only the cross sysroot is searched: the host's libraries and headers are not for Windows.
set(CMAKE_FIND_ROOT_PATH /usr/${VARNADEX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# /usr/lib/wine/wine64 rather than /usr/bin/wine, whose wrapper warns about a missing 32-bit
# Wine on every start.
find_program(VARNADEX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT VARNADEX_WINE)
    find_program(VARNADEX_WINE NAMES wine64 wine)
endif()
if(VARNADEX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VARNADEX_WINE})
endif()
