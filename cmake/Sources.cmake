# Source lists. A source file belongs to the GUI library when it includes an
# FLTK or OpenGL header; everything else is headless core.

function(mpe_split_by_toolkit all_sources core_var gui_var)
  set(core "")
  set(gui "")
  foreach(source ${all_sources})
    file(STRINGS ${source} toolkit_includes REGEX "#include[ \t]*[<\"](FL|GL)/")
    if(toolkit_includes)
      list(APPEND gui ${source})
    else()
      list(APPEND core ${source})
    endif()
  endforeach()
  set(${core_var} ${core} PARENT_SCOPE)
  set(${gui_var} ${gui} PARENT_SCOPE)
endfunction()

file(GLOB MPE_LIBRARY_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/base/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/motion/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/path/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/path/numeric/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/view/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/view/image/*.cpp)
mpe_split_by_toolkit("${MPE_LIBRARY_SOURCES}" MPE_CORE_SOURCES MPE_GUI_SOURCES)

# The editor: every file of app/ except the console entries.
file(GLOB MPE_EDITOR_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/app/*.cpp)
list(REMOVE_ITEM MPE_EDITOR_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/app/BvhDumpMain.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/app/BvhPathMain.cpp)

file(GLOB MPE_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/*.cpp)
file(GLOB MPE_ALL_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/bench/*.cpp)
mpe_split_by_toolkit("${MPE_ALL_BENCH_SOURCES}" MPE_BENCH_SOURCES MPE_GUI_BENCH_SOURCES)
file(GLOB MPE_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/*.cpp)
