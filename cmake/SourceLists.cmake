# Every target names its sources. A source file that no list names would be
# left out of the build without a word, so the configure fails on one:
#   kelvarn_check_listed(<folder> <file>...)
function(kelvarn_check_listed folder)
  file(GLOB present RELATIVE ${folder} ${folder}/*.cpp)
  foreach(f ${present})
    if(NOT f IN_LIST ARGN)
      message(FATAL_ERROR "${folder}/${f} is in no source list: add it to its CMakeLists.txt")
    endif()
  endforeach()
endfunction()
