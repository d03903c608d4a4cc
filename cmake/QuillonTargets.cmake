# Helpers that keep each subsystem's and each test folder's CMakeLists short.

# quillon_native_test(name SOURCES a.cpp b.cpp [LIBS x y] [LABELS l]):
# a GoogleTest executable and its one ctest entry.
function(quillon_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  quillon_target_defaults(${name})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}")
  if(QUILLON_WINDOWS)
    # One Wine session (X server and wineserver) serves the whole run.
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session RUN_SERIAL TRUE
                                            ENVIRONMENT "QUILLON_WINE_DIR=${CMAKE_BINARY_DIR}/wine")
  endif()
endfunction()

# Includes every folder below `dir` that has a CMakeLists.txt, so a new test suite
# joins the run by existing.
function(quillon_add_subfolders dir)
  file(GLOB children LIST_DIRECTORIES true ${dir}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
