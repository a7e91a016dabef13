# One static library per engine folder. Sources are picked up from the folder
# itself (a sub-folder with a CMakeLists.txt is a module of its own), so adding
# a file never means touching a list. A folder with no sources yet becomes an
# interface library.
function(orvelle_engine_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(_sources)
    add_library(orvelle_${name} STATIC ${_sources})
    target_include_directories(orvelle_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(orvelle_${name} PUBLIC ${ARG_DEPS})
    target_compile_options(orvelle_${name} PRIVATE -Wall -Wextra -Wno-unused-parameter)
  else()
    add_library(orvelle_${name} INTERFACE)
    target_include_directories(orvelle_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(orvelle_${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# An executable made of every source in the current folder.
function(orvelle_program name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _sources)
    return()
  endif()
  add_executable(${name} ${_sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_compile_options(${name} PRIVATE -Wall -Wextra -Wno-unused-parameter)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
endfunction()
