# Controls over Win32 windows, forms, the application object and the standard controls.
add_library(dp_gui STATIC
  Controls.cpp
  Forms.cpp
  StdCtrls.cpp
  ExtCtrls.cpp
  Buttons.cpp
  WindowSubclass.cpp
)
target_include_directories(dp_gui PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(dp_gui PUBLIC dp_components dp_winsys)
if(TARGET dp_graphics)
  target_link_libraries(dp_gui PUBLIC dp_graphics)
endif()
target_link_libraries(dp_gui PUBLIC msimg32 gdi32 user32 ole32 comctl32)
