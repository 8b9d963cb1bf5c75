# The library other programs link: libmarovel.so, with a versioned SONAME,
# and libmarovel.a, over the library layer (src/library/) and the layers
# below it. Only the public names (marked MAROVEL_API in
# include/marovel/marovel.h) are exported from the shared library; the
# commands stay linked with the layers themselves.

# The installed headers: include/marovel/ and the version header made from
# the one statement of the version (src/base/version.h).
string(REPLACE "." ";" version_parts ${MAROVEL_VERSION})
list(GET version_parts 0 MAROVEL_VERSION_MAJOR)
list(GET version_parts 1 MAROVEL_VERSION_MINOR)
set(MAROVEL_GENERATED_INCLUDE ${CMAKE_BINARY_DIR}/include)
configure_file(${CMAKE_SOURCE_DIR}/cmake/marovel_version.h.in
               ${MAROVEL_GENERATED_INCLUDE}/marovel/version.h @ONLY)
add_library(marovel_public_headers INTERFACE)
target_include_directories(marovel_public_headers INTERFACE
  $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>
  $<BUILD_INTERFACE:${MAROVEL_GENERATED_INCLUDE}>)
set(MAROVEL_PUBLIC_HEADERS ${CMAKE_SOURCE_DIR}/include/marovel/marovel.h
                           ${MAROVEL_GENERATED_INCLUDE}/marovel/version.h)

# The layers whose objects the libraries hold.
set(MAROVEL_LIBRARY_LAYERS library reader reduce writer pnml dot netfile xml
                           model base)

add_library(marovel_shared SHARED $<TARGET_OBJECTS:marovel_library>)
target_link_libraries(marovel_shared PRIVATE
  marovel_reader marovel_reduce marovel_writer marovel_pnml marovel_dot
  marovel_netfile marovel_xml marovel_model marovel_base)
target_include_directories(marovel_shared PUBLIC
  $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>
  $<BUILD_INTERFACE:${MAROVEL_GENERATED_INCLUDE}>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
set_target_properties(marovel_shared PROPERTIES
  OUTPUT_NAME marovel
  EXPORT_NAME marovel
  VERSION ${MAROVEL_VERSION}
  SOVERSION ${MAROVEL_VERSION_MAJOR}
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
# Every symbol the shared library needs is resolved in it, or in the
# libraries it names; it exports the public API and nothing else.
target_link_options(marovel_shared PRIVATE -Wl,--no-undefined
  -Wl,--version-script=${CMAKE_SOURCE_DIR}/cmake/marovel.map)
set_property(TARGET marovel_shared APPEND PROPERTY LINK_DEPENDS
             ${CMAKE_SOURCE_DIR}/cmake/marovel.map)

set(objects)
foreach(layer ${MAROVEL_LIBRARY_LAYERS})
  list(APPEND objects $<TARGET_OBJECTS:marovel_${layer}>)
endforeach()
add_library(marovel_static STATIC ${objects})
target_link_libraries(marovel_static INTERFACE
  $<BUILD_INTERFACE:EXPAT::EXPAT> $<INSTALL_INTERFACE:expat>
  Threads::Threads)
target_include_directories(marovel_static PUBLIC
  $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>
  $<BUILD_INTERFACE:${MAROVEL_GENERATED_INCLUDE}>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
set_target_properties(marovel_static PROPERTIES
  OUTPUT_NAME marovel
  EXPORT_NAME marovel_static
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
