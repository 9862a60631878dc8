# Shared part of the mingw-w64 toolchains; DP_TRIPLE is set by the including file.
# The posix thread model: GoogleTest needs std::condition_variable, which the win32 model lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${DP_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DP_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DP_TRIPLE}-windres)
include(${CMAKE_CURRENT_LIST_DIR}/DpRequire.cmake)
dp_require_program(DP_MINGW_CXX "The ${DP_TRIPLE} compiler" ${CMAKE_CXX_COMPILER})
dp_require_program(DP_MINGW_RC "The ${DP_TRIPLE} resource compiler" ${CMAKE_RC_COMPILER})
set(CMAKE_FIND_ROOT_PATH /usr/${DP_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
