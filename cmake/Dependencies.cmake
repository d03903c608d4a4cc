# Dependencies come from Debian: TinyXML from the unpacked, patched source package
# (scripts/setup.sh puts it in build/deps), GoogleTest from /usr/src/googletest.
# Both are compiled here by whichever toolchain this build uses.

if(QUILLON_FUZZ)
  # Everything is instrumented for coverage; only the fuzz targets link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(QUILLON_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

file(GLOB QUILLON_TINYXML_DIRS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/build/deps/tinyxml-*)
list(FILTER QUILLON_TINYXML_DIRS EXCLUDE REGEX "\\.(gz|xz|dsc)$")
list(GET QUILLON_TINYXML_DIRS 0 QUILLON_TINYXML_DIR)
if(NOT EXISTS ${QUILLON_TINYXML_DIR}/tinyxml.h)
  message(FATAL_ERROR "TinyXML sources not found in build/deps: run scripts/setup.sh")
endif()
add_library(quillon_tinyxml STATIC
  ${QUILLON_TINYXML_DIR}/tinyxml.cpp
  ${QUILLON_TINYXML_DIR}/tinystr.cpp
  ${QUILLON_TINYXML_DIR}/tinyxmlerror.cpp
  ${QUILLON_TINYXML_DIR}/tinyxmlparser.cpp)
target_compile_definitions(quillon_tinyxml PUBLIC TIXML_USE_STL)
# Third-party code: included as a system header so its warnings are not ours.
target_include_directories(quillon_tinyxml SYSTEM PUBLIC ${QUILLON_TINYXML_DIR})
target_compile_options(quillon_tinyxml PRIVATE -w)
set_target_properties(quillon_tinyxml PROPERTIES POSITION_INDEPENDENT_CODE ON)

set(QUILLON_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
if(NOT QUILLON_FUZZ)
  add_subdirectory(${QUILLON_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
