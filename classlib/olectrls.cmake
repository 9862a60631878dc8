# ActiveX controls hosted in place (the Shockwave Flash control among them).
add_library(dp_olectrls STATIC
  OleCtrls.cpp
)
target_include_directories(dp_olectrls PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(dp_olectrls PUBLIC dp_gui ole32 oleaut32 uuid)
