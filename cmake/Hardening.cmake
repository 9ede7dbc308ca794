# Debian's hardening for the game players get (the package and the portable archive): the flags
# `dpkg-buildflags` gives with every hardening feature on, i.e. fortified C library calls, the
# stack protector and stack clash protection, control-flow protection, full RELRO with immediate
# binding (PIE is the compiler's default). The build type keeps deciding optimisation and debug
# information; fortify needs optimisation, so unoptimised builds go without.
find_program(BRAMBLOT_DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT BRAMBLOT_DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: building without Debian's hardening flags")
  return()
endif()
if(NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  return()
endif()

function(bramblot_buildflags name out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                          ${BRAMBLOT_DPKG_BUILDFLAGS} --get ${name}
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "dpkg-buildflags --get ${name} failed")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  # The prefix map names the directory dpkg-buildflags ran in, which differs between a configure
  # from the project root and the build tool's own re-run, and would rebuild everything each time.
  list(FILTER flags EXCLUDE REGEX "^-(O[0-9sg]?|g|ffile-prefix-map=.*|fdebug-prefix-map=.*)$")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

bramblot_buildflags(CPPFLAGS BRAMBLOT_HARDENING_CPPFLAGS)
bramblot_buildflags(CXXFLAGS BRAMBLOT_HARDENING_CXXFLAGS)
bramblot_buildflags(LDFLAGS BRAMBLOT_HARDENING_LDFLAGS)
add_compile_options(${BRAMBLOT_HARDENING_CPPFLAGS} ${BRAMBLOT_HARDENING_CXXFLAGS})
add_link_options(${BRAMBLOT_HARDENING_LDFLAGS})
