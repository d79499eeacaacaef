# Chooses the platform half of every platform interface. Each interface is a
# header plus `<name>_linux.cpp` / `<name>_win.cpp` beside it; portable code
# never needs an #ifdef to pick one.
if(WIN32)
  set(KALO_PLATFORM win)
else()
  set(KALO_PLATFORM linux)
endif()

# Project-wide warnings, applied to every target of ours (not to dependencies).
add_library(kalo_warnings INTERFACE)
target_compile_options(kalo_warnings INTERFACE -Wall -Wextra)

# kalo_platform_sources(<target> <base>...) adds <base>_<platform>.cpp for each base.
function(kalo_platform_sources target)
  foreach(base IN LISTS ARGN)
    target_sources(${target} PRIVATE ${base}_${KALO_PLATFORM}.cpp)
  endforeach()
endfunction()

# kalo_library(<name> SOURCES ... PLATFORM ... DEPENDS ...) declares one module library.
function(kalo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PLATFORM;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  kalo_platform_sources(${name} ${ARG_PLATFORM})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE kalo_warnings)
endfunction()

# kalo_program(<target>): one of the two programs. Both land in bin/ of the
# build tree, beside the config/ folder they share there: a build-tree run
# keeps its settings (the saved language) in config/fitprobe.ini, which the
# programs themselves never create.
function(kalo_program target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/bin/config)
endfunction()
