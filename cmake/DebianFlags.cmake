# MAROVEL_DEBIAN_FLAGS: build with Debian's flags for packages, as
# dpkg-buildflags gives them with every hardening feature on (a stack
# protector, fortified library calls, relocations read-only and bound at
# start, format checks; debug information too, which the package strips).
# The Debian package is built so (scripts/package.sh). They go before the build
# type's own flags, so that a Release build keeps its optimisation level.
option(MAROVEL_DEBIAN_FLAGS
       "Build with Debian's hardening flags (dpkg-buildflags), as the package is"
       OFF)
if(MAROVEL_DEBIAN_FLAGS)
  find_program(DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    # Run from the source folder, whose path the flags map away.
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
              ${DPKG_BUILDFLAGS} --get ${kind}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE DEBIAN_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
      COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  string(PREPEND CMAKE_CXX_FLAGS "${DEBIAN_CPPFLAGS} ${DEBIAN_CXXFLAGS} ")
  string(PREPEND CMAKE_EXE_LINKER_FLAGS "${DEBIAN_LDFLAGS} ")
  string(PREPEND CMAKE_SHARED_LINKER_FLAGS "${DEBIAN_LDFLAGS} ")
endif()
