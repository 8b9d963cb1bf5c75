# What `cmake --install` puts under the prefix, and the Debian package that
# `cpack -G DEB` builds from the same install (scripts/package.sh).
#
# Every installed file belongs to a component and each component is one
# Debian package, as Debian's conventions for a library want them:
#   marovel      the commands, their manual pages and the documents
#   runtime      libmarovel0: the shared library, under its SONAME, for the
#                programs linked with it
#   development  libmarovel-dev: the headers, the static library, the link
#                that -lmarovel follows, the CMake package, the pkg-config
#                file and the example program
# A language module would add a component of its own: its install() lines
# name it, CPACK_COMPONENTS_ALL lists it, and its CPACK_DEBIAN_<COMPONENT>_*
# lines give its package's name, section and description.
#
# A package's Depends line comes from dpkg-shlibdeps (Debian package
# dpkg-dev), which reads the libraries the installed commands and the
# shared library are linked with; CPack strips them as it copies them into
# the package. The commands stay linked with the layers themselves: the
# shared library is for other programs.

set(MAROVEL_PACKAGING ${CMAKE_SOURCE_DIR}/packaging/debian)
set(MAROVEL_STAGED ${CMAKE_BINARY_DIR}/staged)

# The manual pages and the changelog, compressed as Debian ships them: at
# the highest level, with no name or date inside, so that the same text
# gives the same bytes. Made by the default build.
set(compressed)
foreach(command marovel ${MAROVEL_COMPANIONS})
  list(APPEND compressed ${CMAKE_SOURCE_DIR}/man/${command}.1:man/${command}.1)
endforeach()
list(APPEND compressed ${MAROVEL_PACKAGING}/changelog:changelog.Debian)
set(MAROVEL_COMPRESSED)
foreach(pair ${compressed})
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 staged)
  add_custom_command(OUTPUT ${MAROVEL_STAGED}/${staged}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${MAROVEL_STAGED}/${staged}
    COMMAND gzip -9nf ${MAROVEL_STAGED}/${staged}
    DEPENDS ${source} VERBATIM)
  list(APPEND MAROVEL_COMPRESSED ${MAROVEL_STAGED}/${staged}.gz)
endforeach()
add_custom_target(marovel_compressed ALL DEPENDS ${MAROVEL_COMPRESSED})

# The copyright file in Debian's machine-readable form, made from LICENSE:
# its copyright line, then its text indented, an empty line written " .".
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/LICENSE)
file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE license_lines)
set(license_text "")
unset(copyright_holder)
foreach(line IN LISTS license_lines)
  if(line MATCHES "^Copyright \\(c\\) (.*)$")
    set(copyright_holder ${CMAKE_MATCH_1})
  elseif(DEFINED copyright_holder AND
         (NOT license_text STREQUAL "" OR NOT line STREQUAL ""))
    if(line STREQUAL "")
      set(line ".")
    endif()
    string(APPEND license_text " ${line}\n")
  endif()
endforeach()
if(NOT DEFINED copyright_holder OR license_text STREQUAL "")
  message(FATAL_ERROR "LICENSE has no 'Copyright (c) ...' line and text")
endif()
file(CONFIGURE OUTPUT ${MAROVEL_STAGED}/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: marovel

Files: *
Copyright: @copyright_holder@
License: Expat
@license_text@")

# The install, one component.
install(TARGETS marovel ${MAROVEL_COMPANIONS}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT marovel)
# A stripped install (the package's, or `cmake --install --strip`) also
# drops the compilers' notes, as Debian's own packages do.
function(marovel_strip_notes component)
  set(binaries ${ARGN})
  string(CONFIGURE [[
if(CMAKE_INSTALL_DO_STRIP)
  foreach(binary @binaries@)
    execute_process(COMMAND "@CMAKE_OBJCOPY@" --remove-section=.comment
      --remove-section=.note "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${binary}"
      COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
endif()
]] strip_notes @ONLY)
  install(CODE "${strip_notes}" COMPONENT ${component})
endfunction()
set(commands)
foreach(command marovel ${MAROVEL_COMPANIONS})
  list(APPEND commands ${CMAKE_INSTALL_BINDIR}/${command})
endforeach()
marovel_strip_notes(marovel ${commands})
foreach(command marovel ${MAROVEL_COMPANIONS})
  install(FILES ${MAROVEL_STAGED}/man/${command}.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT marovel)
endforeach()
install(FILES README.md ${MAROVEL_STAGED}/copyright
              ${MAROVEL_STAGED}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT marovel)
install(DIRECTORY examples docs DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT marovel PATTERN embed EXCLUDE)

# The library. Each of its packages carries the copyright file and the
# changelog in its own documents' folder, as every Debian package does.
set(MAROVEL_RUNTIME_PACKAGE libmarovel${MAROVEL_VERSION_MAJOR})
set(MAROVEL_DEV_PACKAGE libmarovel-dev)
install(TARGETS marovel_shared EXPORT marovel_targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
                NAMELINK_COMPONENT development)
marovel_strip_notes(runtime
  ${CMAKE_INSTALL_LIBDIR}/libmarovel.so.${MAROVEL_VERSION})
install(TARGETS marovel_static EXPORT marovel_targets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
# A stripped install keeps the static library's symbols, not its debugging
# information or the compilers' notes.
install(CODE "
if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
    --remove-section=.comment
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/libmarovel.a\"
    COMMAND_ERROR_IS_FATAL ANY)
endif()" COMPONENT development)
install(FILES ${MAROVEL_PUBLIC_HEADERS}
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/marovel COMPONENT development)
foreach(component runtime development)
  if(component STREQUAL runtime)
    set(package ${MAROVEL_RUNTIME_PACKAGE})
  else()
    set(package ${MAROVEL_DEV_PACKAGE})
  endif()
  install(FILES ${MAROVEL_STAGED}/copyright ${MAROVEL_STAGED}/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
          COMPONENT ${component})
endforeach()
install(DIRECTORY examples/embed
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${MAROVEL_DEV_PACKAGE}/examples
        COMPONENT development)

# find_package(marovel CONFIG): marovel::marovel, the shared library, and
# marovel::marovel_static, which needs expat and the threads library too.
set(MAROVEL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/marovel)
install(EXPORT marovel_targets NAMESPACE marovel::
        FILE marovelTargets.cmake DESTINATION ${MAROVEL_CMAKE_DIR}
        COMPONENT development)
include(CMakePackageConfigHelpers)
# 0.x: a new minor version may change the API.
write_basic_package_version_file(
  ${MAROVEL_STAGED}/marovelConfigVersion.cmake
  VERSION ${MAROVEL_VERSION} COMPATIBILITY SameMinorVersion)
file(WRITE ${MAROVEL_STAGED}/marovelConfig.cmake [[
include(CMakeFindDependencyMacro)
find_dependency(Threads)
include(${CMAKE_CURRENT_LIST_DIR}/marovelTargets.cmake)
]])
install(FILES ${MAROVEL_STAGED}/marovelConfig.cmake
              ${MAROVEL_STAGED}/marovelConfigVersion.cmake
        DESTINATION ${MAROVEL_CMAKE_DIR} COMPONENT development)

# pkg-config --cflags --libs marovel (--static adds expat and the threads
# library). Written as it is installed, so that it names the prefix
# installed to (cmake --install --prefix, or the package's /usr).
string(CONFIGURE [[
file(WRITE "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/@CMAKE_INSTALL_LIBDIR@/pkgconfig/marovel.pc"
"prefix=${CMAKE_INSTALL_PREFIX}
libdir=\${prefix}/@CMAKE_INSTALL_LIBDIR@
includedir=\${prefix}/@CMAKE_INSTALL_INCLUDEDIR@

Name: marovel
Description: structural reduction of Petri nets (C++20)
Version: @MAROVEL_VERSION@
Libs: -L\${libdir} -lmarovel
Libs.private: -lexpat -pthread
Cflags: -I\${includedir}
")
]] write_pc @ONLY)
install(CODE "${write_pc}" COMPONENT development)

# The package's version is the top entry of its changelog: marovel's own
# version (src/base/version.h) and a Debian revision.
file(STRINGS ${MAROVEL_PACKAGING}/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^marovel \\(([^-]+)-([^)]+)\\) ")
  message(FATAL_ERROR "packaging/debian/changelog: the top line reads "
          "'${changelog_top}', not 'marovel (VERSION-REVISION) ...'")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL MAROVEL_VERSION)
  message(FATAL_ERROR "packaging/debian/changelog: the top entry is for "
          "${CMAKE_MATCH_1}, src/base/version.h says ${MAROVEL_VERSION}: "
          "add an entry for this version")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${MAROVEL_PACKAGING}/changelog)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marovel)
set(CPACK_PACKAGE_VENDOR "The marovel developers")
set(CPACK_PACKAGE_CONTACT "The marovel developers <marovel@example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL marovel runtime development)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_MAROVEL_PACKAGE_NAME marovel)
set(CPACK_DEBIAN_MAROVEL_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_MAROVEL_PACKAGE_SECTION science)
# net2dot's pictures are rendered with Graphviz's dot.
set(CPACK_DEBIAN_MAROVEL_PACKAGE_SUGGESTS graphviz)
# The summary line, then the long description in lines that Debian's tools
# show as they are.
string(JOIN "\n" CPACK_DEBIAN_MAROVEL_DESCRIPTION
  "structural reduction of Petri nets, with PNML and Graphviz converters"
  "marovel reads a place/transition net from an XML file, applies six"
  "structural reduction rules one application at a time, and writes the"
  "reduced net, each survivor listing the input nodes merged into it."
  "pnml2net and net2pnml convert between PNML and marovel's net files;"
  "net2dot draws a net file for Graphviz.")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${MAROVEL_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The shlibs file: a program built against this version runs with it and
# any later one of the same SONAME.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# ldconfig runs by its trigger (cmake/LdconfigTrigger.cmake).
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/LdconfigTrigger.cmake)
string(JOIN "\n" CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "structural reduction of Petri nets - shared library"
  "The marovel library reads a place/transition net, applies six structural"
  "reduction rules one application at a time, as the marovel command does,"
  "and gives the reduced net back as data or writes it as marovel's net"
  "file, PNML or a Graphviz picture."
  "This package holds the shared library.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${MAROVEL_DEV_PACKAGE})
set(CPACK_DEBIAN_DEVELOPMENT_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(MAROVEL_DEB_VERSION ${MAROVEL_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
    "${MAROVEL_RUNTIME_PACKAGE} (= ${MAROVEL_DEB_VERSION})")
# What a static link needs besides.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SUGGESTS "libexpat1-dev")
string(JOIN "\n" CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "structural reduction of Petri nets - development files"
  "The marovel library reads a place/transition net, applies six structural"
  "reduction rules one application at a time, as the marovel command does,"
  "and gives the reduced net back as data or writes it as marovel's net"
  "file, PNML or a Graphviz picture."
  "This package holds the C++ header, the static library, the CMake package,"
  "the pkg-config file and an example program.")
include(CPack)
