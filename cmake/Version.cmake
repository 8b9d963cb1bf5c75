# marovel's version, read from the one place that states it,
# src/base/version.h: the project's version, the package's and what the
# commands print come from there.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../src/base/version.h
     MAROVEL_VERSION_LINE REGEX "^#define MAROVEL_VERSION \"")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" MAROVEL_VERSION
                     "${MAROVEL_VERSION_LINE}")
