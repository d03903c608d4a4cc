# What both MinGW-w64 cross builds share; the toolchain file of each names its target
# (QUILLON_MINGW_TARGET) and processor first. Posix thread model: std::thread, std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QUILLON_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLON_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLON_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Resource scripts are UTF-8.
set(CMAKE_RC_FLAGS "-c 65001" CACHE STRING "" FORCE)
# The .exe and .dll carry their C++ runtime and threads library: no MinGW DLLs to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Tests run under Wine through our runner, with the loader of the build's word size.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
