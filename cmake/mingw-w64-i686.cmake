# Cross-compiles for 32-bit (x86) Windows with MinGW-w64 (see mingw-w64.cmake).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake ...
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QUENDAL_MINGW_TRIPLE i686-w64-mingw32)
# Doubles in SSE2 registers, as in the 64-bit build and MSVC's default for
# x86: the x87 unit would keep intermediate results in 80 bits, so the same
# inputs could round (and overflow) differently. Every x86 processor since
# 2003 has SSE2, and Windows 8 and later require it.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
