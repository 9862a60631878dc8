# dp_stored_form(<template> <output>): the form definition with the installer's
# own pictures drawn into it at build time. The generator is plain C++ built
# with the host compiler, so Windows builds can run it too.
set(DP_ARTWORK_SOURCE ${CMAKE_CURRENT_LIST_DIR}/artwork.cpp)

function(dp_stored_form template output)
  set(tool ${CMAKE_CURRENT_BINARY_DIR}/host/artwork)
  get_property(built DIRECTORY PROPERTY DP_ARTWORK_TOOL_RULE)
  if(NOT built)
    dp_require_program(DP_HOST_CXX "A host C++ compiler" c++ g++ clang++)
    add_custom_command(OUTPUT ${tool}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/host
      COMMAND ${DP_HOST_CXX} -std=c++17 -O1 -I${CMAKE_SOURCE_DIR} ${DP_ARTWORK_SOURCE} -o ${tool}
      DEPENDS ${DP_ARTWORK_SOURCE} ${CMAKE_SOURCE_DIR}/tools/fixedmath/FixedSine.h
      COMMENT "Building the picture generator for the host"
      VERBATIM)
    set_property(DIRECTORY PROPERTY DP_ARTWORK_TOOL_RULE ON)
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND ${tool} form ${template} ${output}
    DEPENDS ${tool} ${template}
    COMMENT "Drawing the pictures of ${output}"
    VERBATIM)
endfunction()
