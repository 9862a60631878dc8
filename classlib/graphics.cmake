# Graphics (GDI objects, canvas, bitmaps, icons, metafiles, JPEG) and the common dialogs.
add_library(dp_graphics STATIC
  GraphicsBase.cpp
  GdiObjects.cpp
  Canvas.cpp
  Bitmaps.cpp
  BitmapFiles.cpp
  Pictures.cpp
  Jpeg.cpp
  Dialogs.cpp
)
target_include_directories(dp_graphics PUBLIC ${CMAKE_SOURCE_DIR})
if(TARGET dp_components)
  target_link_libraries(dp_graphics PUBLIC dp_components)
else()
  target_link_libraries(dp_graphics PUBLIC dp_runtime)
endif()
target_link_libraries(dp_graphics PUBLIC dp_winsys dp_imagefiles dp_jpeg gdi32 comdlg32 user32)
