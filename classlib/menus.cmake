# Menus (main and pop-up, owner-drawn on request), image lists and the media player row.
add_library(dp_menus STATIC
  Menus.cpp
  ImgList.cpp
  MPlayer.cpp
)
target_include_directories(dp_menus PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(dp_menus PUBLIC dp_gui comctl32 gdi32 user32)
