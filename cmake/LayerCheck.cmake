# The layers, lowest first. A file may include project headers of its own layer and of those
# below it; an include that runs upward (the report reaching into the window, the core into the
# widgets) would tie a lower library to a higher one, so the configure fails on one.
#   core:     data eval link cell files
#   document: document (the measurement document, its view and its edits)
#   widgets:  widgets
#   output:   output
#   app:      app
# The command-line companion may use everything but the window. The simulated devices and
# scripted ports (sim) stand beside the layers: they use the core alone, and nothing a user
# runs includes them (cmake/SimCheck.cmake checks the linking as well).
set(KELVARN_SIM_LAYER 100)
function(kelvarn_layer_of folder out)
  if(folder MATCHES "^(data|eval|link|cell|files)$")
    set(${out} 0 PARENT_SCOPE)
  elseif(folder STREQUAL "document")
    set(${out} 1 PARENT_SCOPE)
  elseif(folder STREQUAL "widgets")
    set(${out} 2 PARENT_SCOPE)
  elseif(folder STREQUAL "output")
    set(${out} 3 PARENT_SCOPE)
  elseif(folder STREQUAL "app")
    set(${out} 4 PARENT_SCOPE)
  elseif(folder STREQUAL "sim")
    set(${out} ${KELVARN_SIM_LAYER} PARENT_SCOPE)
  else()
    set(${out} -1 PARENT_SCOPE)
  endif()
endfunction()

# Returns in out the "file: #include line" entries of the given files that include upward of
# the highest layer allowed; headers of the folder own are always allowed.
function(kelvarn_upward_includes out highest own)
  set(found)
  foreach(file ${ARGN})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z]+)/.*" "\\1" target "${line}")
      if(target STREQUAL own)
        continue()
      endif()
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
foreach(folder data eval link cell files document widgets output app)
  kelvarn_layer_of(${folder} highest)
  file(GLOB_RECURSE sources ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  kelvarn_upward_includes(found ${highest} ${folder} ${sources})
  list(APPEND _upward ${found})
endforeach()
file(GLOB_RECURSE _cli ${CMAKE_SOURCE_DIR}/tools/cli/*.cpp ${CMAKE_SOURCE_DIR}/tools/cli/*.h)
kelvarn_upward_includes(found 3 cli ${_cli})
list(APPEND _upward ${found})
file(GLOB_RECURSE _sim ${CMAKE_SOURCE_DIR}/sim/*.cpp ${CMAKE_SOURCE_DIR}/sim/*.h)
kelvarn_upward_includes(found 0 sim ${_sim})
list(APPEND _upward ${found})
if(_upward)
  list(JOIN _upward "\n  " _lines)
  message(FATAL_ERROR "Includes that run upward through the layers:\n  ${_lines}")
endif()
