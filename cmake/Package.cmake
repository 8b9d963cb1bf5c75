# What `cmake --install` puts under the prefix, and the Debian package that
# `cpack -G DEB` builds from the same install (scripts/package.sh).
#
# Every installed file belongs to a component and each component is one
# Debian package: today `marovel` (the commands, their manual pages and the
# documents). A library, its headers or a language module add a component
# of their own: their install() lines name it, CPACK_COMPONENTS_ALL lists
# it, and its CPACK_DEBIAN_<COMPONENT>_* lines give its package's name,
# section and description.
#
# The package's Depends line comes from dpkg-shlibdeps (Debian package
# dpkg-dev), which reads the libraries the installed commands are linked
# with; CPack strips the commands as it copies them into the package.

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
string(CONFIGURE [[
if(CMAKE_INSTALL_DO_STRIP)
  foreach(command marovel @MAROVEL_COMPANIONS@)
    execute_process(COMMAND "@CMAKE_OBJCOPY@" --remove-section=.comment
      --remove-section=.note
      "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/@CMAKE_INSTALL_BINDIR@/${command}"
      COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
endif()
]] strip_notes @ONLY)
install(CODE "${strip_notes}" COMPONENT marovel)
foreach(command marovel ${MAROVEL_COMPANIONS})
  install(FILES ${MAROVEL_STAGED}/man/${command}.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT marovel)
endforeach()
install(FILES README.md ${MAROVEL_STAGED}/copyright
              ${MAROVEL_STAGED}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT marovel)
install(DIRECTORY examples docs DESTINATION ${CMAKE_INSTALL_DOCDIR}
        COMPONENT marovel)

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
set(CPACK_COMPONENTS_ALL marovel)
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
include(CPack)
