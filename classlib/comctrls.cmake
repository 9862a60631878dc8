# The common controls over comctl32, the tab set and the check-list box.
add_library(dp_comctrls STATIC
  CommonControls.cpp
  TabControls.cpp
  Trackers.cpp
  Bars.cpp
  ListViews.cpp
  DateTimePicker.cpp
  Tabs.cpp
  CheckLst.cpp
)
target_include_directories(dp_comctrls PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(dp_comctrls PUBLIC dp_gui comctl32)
