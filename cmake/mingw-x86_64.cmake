# 64-bit Windows (x86_64): the engine for 64-bit-only machines.
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
