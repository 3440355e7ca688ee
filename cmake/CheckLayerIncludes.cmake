# SPDX-License-Identifier: GPL-2.0-or-later
# The layers, kept by the build: a folder's sources may include only what its layer may see.
# tarpel_check_layer_includes(folder allowed...) stops the configuration at the first quoted
# include that matches no allowed entry, an entry being a folder ("link/") or one header
# ("port/Port.h"). Every source of the folder is a configure dependency, so an edit that adds an
# include is checked at the next build. Also runs as a script, for the test that proves it:
#   cmake -DFOLDER=dir "-DALLOWED=link/;port/Port.h" -P CheckLayerIncludes.cmake
function(tarpel_check_layer_includes folder)
  file(GLOB sources ${folder}/*.h ${folder}/*.cpp)
  foreach(source ${sources})
    if(CMAKE_SCRIPT_MODE_FILE STREQUAL "")
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    endif()
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
      set(allowed FALSE)
      foreach(entry ${ARGN})
        if(header STREQUAL entry OR (entry MATCHES "/$" AND header MATCHES "^${entry}"))
          set(allowed TRUE)
        endif()
      endforeach()
      if(NOT allowed)
        message(FATAL_ERROR "${source} includes \"${header}\", which its layer may not see "
                            "(allowed: ${ARGN})")
      endif()
    endforeach()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED FOLDER)
  tarpel_check_layer_includes(${FOLDER} ${ALLOWED})
endif()
