# SPDX-License-Identifier: MIT
# cmake -D SOURCE_DIR=<folder holding the layer folders> -P CheckLayers.cmake
#
# Fails, naming the file and the line, when a source of a layer includes a header of a layer
# it may not use (a higher one or a sibling, see Layers.cmake), of the programs above the core,
# or of Qt; and, naming the folder, when a folder beside them is neither.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

set(known_folders ${VELMORA_LAYERS} ${VELMORA_ABOVE_THE_CORE})
set(violations "")
# A folder Layers.cmake does not name would be checked by nothing, and every layer could
# include it.
file(GLOB entries LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
foreach(entry IN LISTS entries)
  if(IS_DIRECTORY ${SOURCE_DIR}/${entry} AND NOT entry IN_LIST known_folders)
    string(APPEND violations "${SOURCE_DIR}/${entry}: a folder that Layers.cmake does not name\n")
  endif()
endforeach()
foreach(layer IN LISTS VELMORA_LAYERS)
  set(allowed ${layer} ${VELMORA_LAYER_${layer}_USES})
  file(GLOB sources ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} lines)
    set(number 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<]([A-Za-z_]+)/")
        set(folder ${CMAKE_MATCH_1})
        if(folder IN_LIST known_folders AND NOT folder IN_LIST allowed)
          string(APPEND violations "${source}:${number}: the ${layer} layer includes ${folder}/\n")
        endif()
      elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<Q")
        string(APPEND violations "${source}:${number}: the ${layer} layer includes Qt\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(violations)
  message(NOTICE "${violations}")
  message(FATAL_ERROR "The layers above do not keep to cmake/Layers.cmake")
endif()
