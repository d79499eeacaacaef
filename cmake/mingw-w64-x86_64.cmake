# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the posix
# threading flavour, which std::thread and std::mutex need) and runs the
# built programs under Wine, so that test discovery and ctest work here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KALO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KALO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KALO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KALO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KALO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 10 and later: the SDK declarations the program uses (known folders,
# LOCALE_NAME, FILE_INFO_BY_HANDLE) are there from Vista on.
add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 UNICODE _UNICODE)
# Everything linked in: the programs need no MinGW runtime DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# The MinGW runtime libraries bring their DWARF along, which no Windows
# debugger reads (a crash is read from its minidump): a release is stripped.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Debian's wine64 package puts the loader below /usr/lib/wine; the wine
# package adds /usr/bin/wine.
find_program(KALO_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
# ctest runs the programs through tools/wine_run.sh, which starts again a
# program that Wine ended before it ran.
if(KALO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine_run.sh ${KALO_WINE})
endif()
