# The product: 32-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(DP_TRIPLE i686-w64-mingw32)
# SSE2 arithmetic instead of x87, so that doubles round as in the 64-bit build (every machine
# the programs are for has SSE2). Windows promises only 4-byte stack alignment to callbacks,
# so functions that keep SSE values on the stack align it themselves.
set(DP_I686_FLAGS "-msse2 -mfpmath=sse -mincoming-stack-boundary=2")
set(CMAKE_C_FLAGS_INIT "${DP_I686_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${DP_I686_FLAGS}")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
