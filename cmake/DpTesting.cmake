# GoogleTest from the Debian source tree, built with this build's own flags.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)

enable_testing()

# dp_add_gtest(NAME
#   SOURCES src...        test sources
#   LIBS lib...           libraries to link
#   [WIN32_ONLY]          only in the Windows build (needs Windows headers)
#   [FOCUS]               needs the screen: keyboard focus, the foreground window, what the screen shows,
#                         or a Wine virtual desktop (which resizes the screen): never beside another FOCUS test
#   [LOCKS name...]       shared state of the prefix it changes (e.g. wallpaper): never in parallel with a holder
#   [TIMEOUT seconds])
# One test program is one CTest test: a Wine start costs seconds, so cases are not split out.
function(dp_add_gtest name)
  cmake_parse_arguments(T "WIN32_ONLY;FOCUS" "TIMEOUT" "SOURCES;LIBS;LOCKS" ${ARGN})
  if(T_WIN32_ONLY AND NOT DP_WIN32)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest_main ${T_LIBS})
  target_compile_definitions(${name} PRIVATE
    DP_TEST_DATA_DIR="${DP_TEST_DATA_DIR}" DP_TEST_BIN_DIR="${DP_TEST_BIN_DIR}")
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  set(locks ${T_LOCKS})
  if(T_FOCUS)
    list(APPEND locks focus)
  endif()
  if(locks)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${locks}")
  endif()
endfunction()
