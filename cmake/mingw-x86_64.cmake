# Cross build for 64-bit Windows: the same sources, for 64-bit hosts and for machines
# whose kernel runs no 32-bit programs (their Wine has only its 64-bit half, so the tests,
# the demo and the benchmark run this build there).
set(QUILLON_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
