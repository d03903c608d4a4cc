# Compile settings every target of ours shares.
function(quillon_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow)
  if(QUILLON_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # Narrow literals are code page 936 in both builds. GB18030 rather than GBK: libstdc++'s
  # <chrono> holds a "µs" literal that GBK cannot encode; GB18030 encodes every GBK
  # character with GBK's own bytes, so our literals come out as code page 936.
  # clang (fuzz builds only) knows no other execution character set than UTF-8.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-finput-charset=UTF-8 -fexec-charset=GB18030>)
  endif()
  if(QUILLON_WINDOWS)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                 _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0700)
  endif()
endfunction()
