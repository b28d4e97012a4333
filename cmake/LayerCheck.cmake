# The layers, lowest first. A file may include project headers of its own layer and of those
# below it; an include that runs upward (the report reaching into the window, the core into the
# widgets) would tie a lower library to a higher one, so the configure fails on one.
#   core:    data eval link cell files
#   widgets: widgets
#   output:  output
#   app:     app
# The command-line companion may use everything but the window.
function(kelvarn_layer_of folder out)
  if(folder MATCHES "^(data|eval|link|cell|files)$")
    set(${out} 0 PARENT_SCOPE)
  elseif(folder STREQUAL "widgets")
    set(${out} 1 PARENT_SCOPE)
  elseif(folder STREQUAL "output")
    set(${out} 2 PARENT_SCOPE)
  elseif(folder STREQUAL "app")
    set(${out} 3 PARENT_SCOPE)
  else()
    set(${out} -1 PARENT_SCOPE)
  endif()
endfunction()

# Returns in out the "file: #include line" entries of the given files that include upward of
# the highest layer allowed.
function(kelvarn_upward_includes out highest)
  set(found)
  foreach(file ${ARGN})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z]+)/.*" "\\1" target "${line}")
      kelvarn_layer_of(${target} layer)
      if(layer GREATER highest)
        file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${file})
        list(APPEND found "${rel}: ${line}")
      endif()
    endforeach()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

set(_upward)
foreach(folder data eval link cell files widgets output)
  kelvarn_layer_of(${folder} highest)
  file(GLOB_RECURSE sources ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  kelvarn_upward_includes(found ${highest} ${sources})
  list(APPEND _upward ${found})
endforeach()
file(GLOB_RECURSE _cli ${CMAKE_SOURCE_DIR}/tools/cli/*.cpp ${CMAKE_SOURCE_DIR}/tools/cli/*.h)
kelvarn_upward_includes(found 2 ${_cli})
list(APPEND _upward ${found})
if(_upward)
  list(JOIN _upward "\n  " _lines)
  message(FATAL_ERROR "Includes that run upward through the layers:\n  ${_lines}")
endif()
