# Cross build for 32-bit Windows: the shipped plug-in, since hosts load 32-bit plug-ins.
set(QUILLON_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
