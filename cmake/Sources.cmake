# Source lists. A source file belongs to a GUI library when it includes an
# FLTK or OpenGL header; everything else is headless.

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

# The layers, lowest first; each is one library that links only the layers
# below it (tests/layering.py checks that no include runs upwards).
#   base        files, numbers, safe writing
#   image       TGA files
#   motion      the clip: skeleton, reading, writing
#   path        the two kinds of path, the fit, the edit session (numeric/ the SVD)
#   view_core   the view's headless half: playback, camera arithmetic
#   draw        GL drawing of the figure, the path and textures (GL)
#   view        the OpenGL window (GL and FLTK)
#   app_core    the editor's headless half: its actions, the start-up
#   app         program entries and the editor window
foreach(layer base image motion)
  file(GLOB MPE_${layer}_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/*.cpp)
endforeach()
file(GLOB MPE_path_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/path/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/path/numeric/*.cpp)
file(GLOB MPE_draw_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/draw/*.cpp)
file(GLOB MPE_ALL_VIEW_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/view/*.cpp)
mpe_split_by_toolkit("${MPE_ALL_VIEW_SOURCES}" MPE_view_core_SOURCES MPE_view_SOURCES)

# The editor: every file of app/ except the console entries, its headless
# files in app_core, the window's in MPE_EDITOR_SOURCES.
file(GLOB MPE_ALL_EDITOR_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/app/*.cpp)
list(REMOVE_ITEM MPE_ALL_EDITOR_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/app/BvhDumpMain.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/app/BvhPathMain.cpp)
mpe_split_by_toolkit("${MPE_ALL_EDITOR_SOURCES}" MPE_app_core_SOURCES MPE_EDITOR_SOURCES)

file(GLOB MPE_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/*.cpp)
file(GLOB MPE_ALL_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/bench/*.cpp)
mpe_split_by_toolkit("${MPE_ALL_BENCH_SOURCES}" MPE_BENCH_SOURCES MPE_GUI_BENCH_SOURCES)
file(GLOB MPE_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/*.cpp)
