# Fails when a source file of a lower layer includes a header of a layer
# above it, or a Qt Widgets header where no window belongs.
#
#   cmake -DSOURCE_DIR=src -DWIDGETS_DIR=/usr/include/.../QtWidgets -P CheckLayers.cmake
#
# The layers, lowest first: each may include its own folder and the folders
# below it, and nothing else of the program.
#   base      key file reader, text conversions, reading of outside files
#   platform  spooler, settings store, clock, presenter, loader
#   comm      packets, library bindings, printer link, status record
# Qt Widgets headers: none in base and comm; in platform only in the two
# seams that exist to show Qt's own dialogs (message boxes, file dialogs).
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "CheckLayers: SOURCE_DIR is not a folder: '${SOURCE_DIR}'")
endif()
if(NOT WIDGETS_DIR OR NOT IS_DIRECTORY "${WIDGETS_DIR}")
  message(FATAL_ERROR "CheckLayers: WIDGETS_DIR is not a folder: '${WIDGETS_DIR}'")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

set(_layers base platform comm)
set(_widget_seams platform/MessagePresenter.cpp platform/FileDialogs.cpp)

# Every folder of the program, so an include of any of them is recognised.
file(GLOB _entries LIST_DIRECTORIES true RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
set(_folders "")
foreach(_e IN LISTS _entries)
  if(IS_DIRECTORY "${SOURCE_DIR}/${_e}")
    list(APPEND _folders "${_e}")
  endif()
endforeach()

set(_violations "")
set(_allowed "")
foreach(_layer IN LISTS _layers)
  list(APPEND _allowed ${_layer})
  file(GLOB_RECURSE _files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${_layer}/*.h" "${SOURCE_DIR}/${_layer}/*.cpp")
  foreach(_file IN LISTS _files)
    file(STRINGS "${SOURCE_DIR}/${_file}" _includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(_line IN LISTS _includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" _header "${_line}")
      # A header of another folder of the program: only from the layers below.
      if(_header MATCHES "^([^/]+)/")
        set(_folder "${CMAKE_MATCH_1}")
        if(_folder IN_LIST _folders AND NOT _folder IN_LIST _allowed)
          list(APPEND _violations "${_file}: includes ${_header} (layer ${_folder} lies above ${_layer})")
        endif()
      endif()
      # A Qt Widgets header, by name (<QWidget>) or with its module (<QtWidgets/...>).
      string(REGEX REPLACE "^QtWidgets/" "" _qtname "${_header}")
      if(_header MATCHES "^QtWidgets(/|$)" OR (NOT _qtname MATCHES "/" AND EXISTS "${WIDGETS_DIR}/${_qtname}"))
        if(NOT _file IN_LIST _widget_seams)
          list(APPEND _violations "${_file}: includes the widget header ${_header}")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(_violations)
  list(JOIN _violations "\n  " _text)
  message(FATAL_ERROR "Includes that point up the layers:\n  ${_text}")
endif()
message(STATUS "Layers: no include points up from ${_layers}")
