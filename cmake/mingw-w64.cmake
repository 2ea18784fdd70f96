# What both MinGW-w64 toolchains (mingw-w64-x86_64.cmake, mingw-w64-i686.cmake)
# share: Debian's cross compiler of the triple they name, with the POSIX thread
# model that GoogleTest builds with, and Wine to run what it builds (tests,
# test discovery). Included by them after they set QUENDAL_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${QUENDAL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUENDAL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUENDAL_MINGW_TRIPLE}-windres)

# Libraries and packages only from the MinGW tree (or a <Package>_DIR given
# on the command line), never the host's; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${QUENDAL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Each .exe carries its C and C++ runtime, so it runs without MinGW DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Wine, headless and quiet, in the prefix that WINEPREFIX names (a throwaway
# one when none is set). A 64-bit prefix runs 32-bit programs too (WoW64).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
