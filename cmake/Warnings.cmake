# Warnings on for our own targets; call kestrel_warnings(target).
function(kestrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
    -Wno-missing-field-initializers)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wshadow=local)
  endif()
endfunction()

# A static library for one src/ folder: kestrel_library(NAME SOURCES ... DEPS ...)
function(kestrel_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  kestrel_warnings(${name})
endfunction()

# Links a program with every subsystem library that exists (the tools,
# benchmarks and fuzz targets reach all of them).
function(kestrel_link_all target)
  target_link_libraries(${target} PRIVATE kestrel_common)
  foreach(lib kestrel_widgets kestrel_users kestrel_install kestrel_handlertable kestrel_handlers kestrel_viewer
              kestrel_applist kestrel_xferlink)
    if(TARGET ${lib})
      target_link_libraries(${target} PRIVATE ${lib})
    endif()
  endforeach()
endfunction()
