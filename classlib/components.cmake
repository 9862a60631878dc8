# Component model, published properties and the stored form definition reader.
# Portable: no Windows header anywhere, so it builds and is tested natively too.
add_library(dp_components STATIC
  Component.cpp
  TypInfo.cpp
  Colors.cpp
  FormReader.cpp
)
target_link_libraries(dp_components PUBLIC dp_runtime)
target_include_directories(dp_components PUBLIC ${CMAKE_SOURCE_DIR})
