# Checks that every include of the product's code points down its floors:
#   cmake -DKALO_SOURCE_DIR=<tree> -P cmake/KaloLayers.cmake
# Fails, naming each offending line, when a file includes a header of a floor
# it does not stand on, or when the toolkit's portable core includes a Qt or
# Win32 header. The build runs it on every build (target kalo_layers).

if(NOT KALO_SOURCE_DIR)
  message(FATAL_ERROR "KaloLayers.cmake: set KALO_SOURCE_DIR to the tree to check")
endif()

# The floors, most specific first where one lies inside another, each with
# the floors below it that it may include (its own always).
set(kalo_floors ui/toolkit ui/host ui/base ui/windows ui shell lang engine remote app cli)
set(kalo_below_shell "")
set(kalo_below_lang shell)
set(kalo_below_engine shell)
set(kalo_below_remote shell)
set(kalo_below_app shell lang engine remote)
set(kalo_below_ui/toolkit shell)
set(kalo_below_ui/host shell ui/toolkit)
set(kalo_below_ui/base shell lang engine remote app ui/toolkit)
set(kalo_below_ui/windows shell lang engine remote app ui/toolkit ui/base)
set(kalo_below_ui shell lang engine remote app ui/toolkit ui/host ui/base ui/windows)
set(kalo_below_cli shell lang engine remote app)

# The floor a path (relative to the tree) belongs to; empty for none.
function(kalo_floor_of path out)
  foreach(floor IN LISTS kalo_floors)
    if(path MATCHES "^${floor}/")
      set(${out} ${floor} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

set(violations "")
foreach(floor IN LISTS kalo_floors)
  file(GLOB_RECURSE files RELATIVE ${KALO_SOURCE_DIR}
       ${KALO_SOURCE_DIR}/${floor}/*.h ${KALO_SOURCE_DIR}/${floor}/*.cpp)
  foreach(file IN LISTS files)
    kalo_floor_of(${file} own)
    if(NOT own STREQUAL floor)
      continue()  # a file of a more specific floor, checked there
    endif()
    file(STRINGS ${KALO_SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" header "${line}")
      if(floor STREQUAL "ui/toolkit" AND header MATCHES "^(Q[A-Za-z]*|Qt[A-Za-z]*/.*|windows\\.h|gdiplus\\.h|winuser\\.h|wingdi\\.h|objbase\\.h)$")
        list(APPEND violations "${file} includes ${header}: the toolkit's core is portable")
        continue()
      endif()
      if(NOT line MATCHES "\"")
        continue()  # a system or library header
      endif()
      kalo_floor_of(${header} target)
      if(target STREQUAL "" OR target STREQUAL floor)
        continue()
      endif()
      list(FIND kalo_below_${floor} ${target} found)
      if(found EQUAL -1)
        list(APPEND violations "${file} includes ${header}: ${floor}/ does not stand on ${target}/")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " listed)
  message(FATAL_ERROR "Includes that do not point down the floors:\n  ${listed}")
endif()
