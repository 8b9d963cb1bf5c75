# The Debian package that `cpack -G DEB` builds from the install tree. Its
# Depends line comes from dpkg-shlibdeps (Debian package dpkg-dev), which
# reads the libraries the installed commands are linked with.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marovel)
set(CPACK_PACKAGE_VENDOR "The marovel developers")
set(CPACK_PACKAGE_CONTACT "The marovel developers <marovel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "structural reduction of Petri nets, with PNML and Graphviz converters")
# The long description, in lines that Debian's tools show as they are.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "marovel reads a place/transition net from an XML file, applies six"
  "structural reduction rules one application at a time, and writes the"
  "reduced net, each survivor listing the input nodes merged into it."
  "pnml2net and net2pnml convert between PNML and marovel's net files;"
  "net2dot draws a net file for Graphviz.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# net2dot's pictures are rendered with Graphviz's dot.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS graphviz)
include(CPack)
