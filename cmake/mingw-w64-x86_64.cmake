# Cross-compiles for 64-bit (x64) Windows with MinGW-w64 (see mingw-w64.cmake).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUENDAL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
