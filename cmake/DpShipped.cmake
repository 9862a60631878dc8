# The programs people download: built small, stripped, with their debug information kept
# beside them.
#
# dp_shipped_program(<target> [FOR_SIZE])
#   The program is stripped after linking; its debug information goes to <file>.debug in
#   the same folder, which the program names through a debug link, so a debugger finds it
#   when it reads a crash. FOR_SIZE also compiles the program and every library of this
#   project that it links for size, each function and data item in its own section, and
#   lets the linker drop the sections nothing refers to.
# dp_apply_shipped_programs()
#   Applies the size flags once every folder has been read (the libraries a program links
#   are known only then); called at the end of the top-level CMakeLists.txt.

set(DP_SIZE_COMPILE_OPTIONS -Os -ffunction-sections -fdata-sections)

function(dp_shipped_program target)
  cmake_parse_arguments(S "FOR_SIZE" "" "" ${ARGN})
  if(NOT DP_WIN32)
    return()
  endif()
  if(S_FOR_SIZE)
    set_property(GLOBAL APPEND PROPERTY DP_SIZE_PROGRAMS ${target})
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_STRIP} --strip-all $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_COMMAND} -E chdir $<TARGET_FILE_DIR:${target}>
            ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug $<TARGET_FILE_NAME:${target}>
    COMMENT "Stripping ${target}, its debug information beside it"
    VERBATIM)
endfunction()

# The project's own static libraries that target links, directly or through others.
function(dp_linked_project_libraries target out)
  set(seen)
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo t)
    foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${t} ${prop})
      if(NOT libs)
        continue()
      endif()
      foreach(lib IN LISTS libs)
        # $<LINK_LIBRARY:feature,lib> wraps a library in a generator expression.
        string(REGEX REPLACE "^\\$<LINK_LIBRARY:[^,]*,(.*)>$" "\\1" lib "${lib}")
        if(TARGET ${lib} AND NOT lib IN_LIST seen)
          get_target_property(imported ${lib} IMPORTED)
          if(NOT imported)
            list(APPEND seen ${lib})
            list(APPEND todo ${lib})
          endif()
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(dp_apply_shipped_programs)
  get_property(programs GLOBAL PROPERTY DP_SIZE_PROGRAMS)
  foreach(program IN LISTS programs)
    dp_linked_project_libraries(${program} libs)
    foreach(t ${program} ${libs})
      get_target_property(type ${t} TYPE)
      if(type STREQUAL "STATIC_LIBRARY" OR type STREQUAL "EXECUTABLE")
        get_target_property(done ${t} DP_BUILT_FOR_SIZE)
        if(NOT done)
          target_compile_options(${t} PRIVATE ${DP_SIZE_COMPILE_OPTIONS})
          set_target_properties(${t} PROPERTIES DP_BUILT_FOR_SIZE ON)
        endif()
      endif()
    endforeach()
    target_link_options(${program} PRIVATE -Wl,--gc-sections)
  endforeach()
endfunction()
