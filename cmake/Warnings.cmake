# Warnings on for our own targets; call kestrel_warnings(target).
function(kestrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
    -Wno-missing-field-initializers)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wshadow=local)
  endif()
endfunction()

# A static library for one src/ folder:
#   kestrel_library(NAME SOURCES ... DEPS ... [PRIVATE_DEPS ...])
# Its dependants reach only the headers of its own folder and those of its
# DEPS: the include folder it exposes (in the build tree) holds nothing but a
# link to its own folder, so a library that includes a header of a library it
# does not depend on (one of a layer above it) does not build. PRIVATE_DEPS
# are what it uses inside (SQLite, inih) and shows nobody.
function(kestrel_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  if(ARG_PRIVATE_DEPS)
    target_link_libraries(${name} PRIVATE ${ARG_PRIVATE_DEPS})
  endif()
  kestrel_warnings(${name})
endfunction()

# Links a program with every subsystem library (the tools, benchmarks and
# fuzz targets reach all of them); src/CMakeLists.txt lists them.
function(kestrel_link_all target)
  target_link_libraries(${target} PRIVATE kestrel_common)
  target_link_libraries(${target} PRIVATE ${KESTREL_SUBSYSTEM_LIBRARIES})
endfunction()
