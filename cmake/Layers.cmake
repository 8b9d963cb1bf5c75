# One static library per folder of src/, named marovel_FOLDER. Each library
# publishes an include root of its own that holds only its folder, so that
# "FOLDER/header.h" resolves only in libraries that link marovel_FOLDER:
# dependencies given PRIVATE stay invisible to a library's users, and an
# include that crosses the layers the wrong way fails to build.
function(marovel_layer name)
  cmake_parse_arguments(LAYER "" "" "PUBLIC;PRIVATE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${name}/*.cc)
  list(FILTER sources EXCLUDE REGEX "(_test|_main|/main)\\.cc$")
  add_library(marovel_${name} STATIC ${sources})
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${name} ${root}/${name} SYMBOLIC)
  target_include_directories(marovel_${name} PUBLIC ${root})
  target_link_libraries(marovel_${name} PUBLIC ${LAYER_PUBLIC}
                        PRIVATE ${LAYER_PRIVATE})
endfunction()

# Tests that the layers hold: a file that includes a header of a layer it
# may use builds, and one that includes a header of a layer above it does
# not. Both are built on demand, out of the default build.
function(marovel_layer_checks)
  set(dir ${CMAKE_SOURCE_DIR}/tests/layers)
  foreach(check allowed:model:model_uses_base forbidden:model:model_uses_reduce
                forbidden:reader:reader_uses_writer
                forbidden:netfile:netfile_uses_model)
    string(REPLACE ":" ";" parts ${check})
    list(GET parts 0 expect)
    list(GET parts 1 layer)
    list(GET parts 2 file)
    add_library(layer_check_${file} OBJECT EXCLUDE_FROM_ALL ${dir}/${file}.cc)
    target_link_libraries(layer_check_${file} PRIVATE marovel_${layer})
    add_test(NAME LayerCheck.${file}
             COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR}
                     --target layer_check_${file})
    if(expect STREQUAL "forbidden")
      set_tests_properties(LayerCheck.${file} PROPERTIES WILL_FAIL TRUE)
    endif()
    # One build at a time in the build tree.
    set_tests_properties(LayerCheck.${file} PROPERTIES RESOURCE_LOCK build_tree)
  endforeach()
endfunction()
