# Windows system wrappers: registry, ini files, DDE client, COM, shell and processes.
add_library(dp_winsys STATIC
  Registry.cpp
  IniFiles.cpp
  DdeMan.cpp
  WinSys.cpp
  PathIdentity.cpp
  WinHook.cpp
  SysVersion.cpp
)
target_include_directories(dp_winsys PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(dp_winsys PUBLIC dp_runtime advapi32 ole32 oleaut32 uuid shell32 user32 kernel32)
