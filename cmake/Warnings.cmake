# Warnings on for our own targets; call kestrel_warnings(target).
function(kestrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
    -Wno-missing-field-initializers)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wshadow=local)
  endif()
endfunction()

# The include folder a library shows: <build>/include/<name>/<folder>/ holds
# a link to every header of the library's own src/ folder (plain subfolders
# such as posix/ included), and nothing of a subfolder that is a library of
# its own (qt/, app/, table/: it has a CMakeLists.txt). So a library reaches
# only its own headers and those of what it depends on.
function(kestrel_include_root name out)
  set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR}/src ${dir})
  if(folder STREQUAL "" OR folder MATCHES "^\\.\\.")
    message(FATAL_ERROR "kestrel_library(${name}) belongs in a folder under src/, not ${dir}")
  endif()
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  # Built afresh each time, so a header removed from the sources is gone here too.
  file(REMOVE_RECURSE ${root})
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${dir} ${dir}/*.h)
  foreach(header ${headers})
    # Leave out the headers below a subfolder that has a library of its own.
    set(own TRUE)
    get_filename_component(sub ${header} DIRECTORY)
    while(NOT sub STREQUAL "")
      if(EXISTS ${dir}/${sub}/CMakeLists.txt)
        set(own FALSE)
        break()
      endif()
      get_filename_component(sub ${sub} DIRECTORY)
    endwhile()
    if(own)
      get_filename_component(parent ${root}/${folder}/${header} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${dir}/${header} ${root}/${folder}/${header} SYMBOLIC)
    endif()
  endforeach()
  file(MAKE_DIRECTORY ${root}/${folder})
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# A static library for one src/ folder:
#   kestrel_library(NAME SOURCES ... DEPS ... [PRIVATE_DEPS ...])
# Its dependants see the headers of its folder and, through DEPS, those of
# its dependencies; nothing else of src/. PRIVATE_DEPS are what it uses
# inside and shows nobody (SQLite, the archivers, inih).
function(kestrel_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  kestrel_include_root(${name} root)
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  if(ARG_PRIVATE_DEPS)
    target_link_libraries(${name} PRIVATE ${ARG_PRIVATE_DEPS})
  endif()
  kestrel_warnings(${name})
endfunction()

# Links a program with every subsystem library (the tools, benchmarks and
# fuzz targets reach all of them). A library missing from the tree is an
# error, not a silent gap.
function(kestrel_link_all target)
  set(libs kestrel_hotsync kestrel_common kestrel_widgets kestrel_users kestrel_install kestrel_handlertable
    kestrel_handlers kestrel_viewer kestrel_applist kestrel_xferlink kestrel_dialogs)
  foreach(lib ${libs})
    if(NOT TARGET ${lib})
      message(FATAL_ERROR "kestrel_link_all(${target}): no library ${lib} in src/")
    endif()
  endforeach()
  target_link_libraries(${target} PRIVATE ${libs})
endfunction()
