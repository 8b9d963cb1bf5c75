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
  # Every layer also goes into the shared library (cmake/Library.cmake),
  # which exports the public API alone: position-independent code, and
  # symbols hidden unless marked. Code linked statically into the commands
  # is the same as position-independent executables' with hidden symbols.
  set_target_properties(marovel_${name} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${name} ${root}/${name} SYMBOLIC)
  target_include_directories(marovel_${name} PUBLIC ${root})
  target_link_libraries(marovel_${name} PUBLIC ${LAYER_PUBLIC}
                        PRIVATE ${LAYER_PRIVATE})
endfunction()

# Tests that the layers hold: a file compiled as a source of a layer (seeing
# the headers that layer's own sources see) builds when it includes a header
# of a layer it may use, and fails on the compiler's own "not found" for a
# header of a layer it may not: any other failure fails the test. Each check
# is LAYER:FILE for one that builds, LAYER:FILE:HEADER for one that must
# not find HEADER. Both are built on demand, out of the default build.
function(marovel_layer_checks)
  set(dir ${CMAKE_SOURCE_DIR}/tests/layers)
  foreach(check model:model_uses_base
                model:model_uses_reduce:reduce/reducer.h
                reader:reader_uses_writer:writer/net_writer.h
                netfile:netfile_uses_model:model/net_model.h
                driver:driver_uses_xml:xml/xml_document.h)
    string(REPLACE ":" ";" fields ${check})
    list(GET fields 0 layer)
    list(GET fields 1 file)
    add_library(layer_check_${file} OBJECT EXCLUDE_FROM_ALL ${dir}/${file}.cc)
    get_target_property(seen marovel_${layer} LINK_LIBRARIES)
    target_link_libraries(layer_check_${file} PRIVATE marovel_${layer} ${seen})
    add_test(NAME LayerCheck.${file}
             COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR}
                     --target layer_check_${file})
    list(LENGTH fields length)
    if(length EQUAL 3)
      # GCC: "H: No such file or directory"; clang: "'H' file not found".
      list(GET fields 2 header)
      string(REPLACE "." "\\." header ${header})
      set_tests_properties(LayerCheck.${file} PROPERTIES PASS_REGULAR_EXPRESSION
        "${header}'?:? (No such file or directory|file not found)")
    endif()
    # One build at a time in the build tree.
    set_tests_properties(LayerCheck.${file} PROPERTIES RESOURCE_LOCK build_tree)
  endforeach()
endfunction()
