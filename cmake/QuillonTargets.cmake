# Helpers that keep each subsystem's and each test folder's CMakeLists short.

# quillon_add_test(name SOURCES a.cpp b.cpp [LIBS x y] [LABELS l] [TIMEOUT s]):
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
                                            ENVIRONMENT "${QUILLON_WINE_ENVIRONMENT}")
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

# quillon_add_fuzz_target(name SOURCES a.cpp [LIBS x]): a libFuzzer executable and a short,
# bounded ctest run of it from its seed corpus in tests/fuzz/corpus/<name>. The long run is
# scripts/fuzz.sh.
function(quillon_add_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  quillon_target_defaults(${name})
  set(seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
  file(MAKE_DIRECTORY ${work})
  set(seed_dirs ${work})
  if(IS_DIRECTORY ${seeds})
    list(APPEND seed_dirs ${seeds})
  endif()
  set(QUILLON_FUZZ_SECONDS 8 CACHE STRING "Seconds each fuzz target runs inside the test command")
  add_test(NAME ${name}
           COMMAND ${name} -max_total_time=${QUILLON_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
                   -print_final_stats=0 ${seed_dirs})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS fuzz)
endfunction()
