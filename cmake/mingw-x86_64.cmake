# The same sources as 64-bit Windows programs, for running the tests under wine64
# on hosts whose kernel cannot execute 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DP_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
