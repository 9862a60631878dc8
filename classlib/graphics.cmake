# Graphics (GDI objects, canvas, bitmaps, icons, metafiles) and the common dialogs.
add_library(dp_graphics STATIC
  GraphicsBase.cpp
  GdiObjects.cpp
  Canvas.cpp
  Bitmaps.cpp
  BitmapFiles.cpp
  Pictures.cpp
  GraphicsPng.cpp
  Dialogs.cpp
  DialogBoxes.cpp
)
target_include_directories(dp_graphics PUBLIC ${CMAKE_SOURCE_DIR})
if(TARGET dp_components)
  target_link_libraries(dp_graphics PUBLIC dp_components)
else()
  target_link_libraries(dp_graphics PUBLIC dp_runtime)
endif()
target_link_libraries(dp_graphics PUBLIC dp_winsys dp_imagefiles gdi32 comdlg32 user32)

# JPEG pictures. Linked whole by the programs that show them: the format registers itself
# with the pictures at start-up, and the codec stays out of programs that never need it.
# The encoder likewise, for the programs that also write JPEG images.
add_library(dp_jpegimage_code STATIC
  Jpeg.cpp
)
target_include_directories(dp_jpegimage_code PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(dp_jpegimage_code PUBLIC dp_graphics dp_jpeg)
add_library(dp_jpegimage INTERFACE)
target_link_libraries(dp_jpegimage INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,dp_jpegimage_code>")
add_library(dp_jpegencoder_code STATIC
  JpegEncode.cpp
)
target_include_directories(dp_jpegencoder_code PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(dp_jpegencoder_code PUBLIC dp_graphics dp_jpeg)
add_library(dp_jpegencoder INTERFACE)
target_link_libraries(dp_jpegencoder INTERFACE dp_jpegimage "$<LINK_LIBRARY:WHOLE_ARCHIVE,dp_jpegencoder_code>")
