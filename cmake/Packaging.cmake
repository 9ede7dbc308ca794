# Install rules and the Debian package (`make package`). An installation never runs the game in
# place: the launcher (packaging/bramblot.in) runs it from a per-user directory whose "assets" link
# points at the installed assets, so the game keeps finding "../assets/" and writes its traces
# into the user's state directory instead of the install tree.
include(GNUInstallDirs)

set(BRAMBLOT_HOMEPAGE "https://bramblot.example" CACHE STRING
    "Where the game is published; the AppStream screenshots are looked up below it, under docs/")
set(BRAMBLOT_MAINTAINER "Bramblot maintainers <maintainers@users.noreply.c-seed-3205a9b9.example>")
# The AppStream component id; the desktop entry is named after it so that software centres pair them.
set(BRAMBLOT_APP_ID games.kelo.Bramblot)

set(BRAMBLOT_PACKAGING_SOURCE_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(BRAMBLOT_PACKAGING_BINARY_DIR ${PROJECT_BINARY_DIR}/packaging)
# Debian's games section: the command in games/, static data in share/games/.
set(BRAMBLOT_INSTALL_LAUNCHER_DIR games)
set(BRAMBLOT_INSTALL_GAME_DIR ${CMAKE_INSTALL_LIBEXECDIR}/bramblot)
set(BRAMBLOT_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/games/bramblot)
set(BRAMBLOT_INSTALL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/bramblot)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The changelog's newest entry must describe the version being packaged; its date is the release
# date the AppStream metadata announces.
function(bramblot_read_release_date out_date)
  set(changelog ${BRAMBLOT_PACKAGING_SOURCE_DIR}/changelog)
  file(STRINGS ${changelog} first_line LIMIT_COUNT 1)
  if(NOT first_line MATCHES "^bramblot \\(([^)]*)\\)" OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/changelog must begin with an entry for version ${PROJECT_VERSION}")
  endif()
  file(STRINGS ${changelog} trailers REGEX "^ -- ")
  list(GET trailers 0 newest)
  if(NOT newest MATCHES ">  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "packaging/changelog: the newest entry's date is not in the Debian format")
  endif()
  set(day ${CMAKE_MATCH_1})
  set(year ${CMAKE_MATCH_3})
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months ${CMAKE_MATCH_2} month_index)
  math(EXPR month "${month_index} + 101")
  string(SUBSTRING ${month} 1 2 month)
  set(${out_date} "${year}-${month}-${day}" PARENT_SCOPE)
endfunction()

# Debian wants manual pages and changelogs compressed, without a time stamp inside (gzip -n) so
# that the same sources give the same package.
function(bramblot_gzip source destination)
  execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${destination} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip failed for ${source}")
  endif()
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

bramblot_read_release_date(BRAMBLOT_RELEASE_DATE)

# The launcher finds the game and the assets relative to itself, so any prefix (and an unpacked
# package) works.
file(RELATIVE_PATH BRAMBLOT_LAUNCHER_TO_GAME ${CMAKE_INSTALL_PREFIX}/${BRAMBLOT_INSTALL_LAUNCHER_DIR}
     ${CMAKE_INSTALL_PREFIX}/${BRAMBLOT_INSTALL_GAME_DIR}/bramblot)
file(RELATIVE_PATH BRAMBLOT_LAUNCHER_TO_ASSETS ${CMAKE_INSTALL_PREFIX}/${BRAMBLOT_INSTALL_LAUNCHER_DIR}
     ${CMAKE_INSTALL_PREFIX}/${BRAMBLOT_INSTALL_DATA_DIR}/assets)
configure_file(${BRAMBLOT_PACKAGING_SOURCE_DIR}/bramblot.in ${BRAMBLOT_PACKAGING_BINARY_DIR}/bramblot @ONLY)
configure_file(${BRAMBLOT_PACKAGING_SOURCE_DIR}/${BRAMBLOT_APP_ID}.metainfo.xml.in
               ${BRAMBLOT_PACKAGING_BINARY_DIR}/${BRAMBLOT_APP_ID}.metainfo.xml @ONLY)
configure_file(${BRAMBLOT_PACKAGING_SOURCE_DIR}/bramblot.6 ${BRAMBLOT_PACKAGING_BINARY_DIR}/bramblot.6 @ONLY)
bramblot_gzip(${BRAMBLOT_PACKAGING_BINARY_DIR}/bramblot.6 ${BRAMBLOT_PACKAGING_BINARY_DIR}/bramblot.6.gz)
bramblot_gzip(${BRAMBLOT_PACKAGING_SOURCE_DIR}/changelog ${BRAMBLOT_PACKAGING_BINARY_DIR}/changelog.gz)

install(TARGETS bramblot RUNTIME DESTINATION ${BRAMBLOT_INSTALL_GAME_DIR})
install(PROGRAMS ${BRAMBLOT_PACKAGING_BINARY_DIR}/bramblot DESTINATION ${BRAMBLOT_INSTALL_LAUNCHER_DIR})
# The asset licence is part of the copyright file.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/ DESTINATION ${BRAMBLOT_INSTALL_DATA_DIR}/assets
        PATTERN LICENSE EXCLUDE)
install(FILES ${BRAMBLOT_PACKAGING_SOURCE_DIR}/${BRAMBLOT_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${BRAMBLOT_PACKAGING_BINARY_DIR}/${BRAMBLOT_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${BRAMBLOT_PACKAGING_SOURCE_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${BRAMBLOT_PACKAGING_BINARY_DIR}/bramblot.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${BRAMBLOT_PACKAGING_SOURCE_DIR}/copyright ${BRAMBLOT_PACKAGING_BINARY_DIR}/changelog.gz
        DESTINATION ${BRAMBLOT_INSTALL_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME bramblot)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${BRAMBLOT_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-player local arena game of rocks, bombs and chasms")
# Lines of the Debian description stay under 80 characters.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Two players share one screen and either one keyboard or two game controllers."
  "Item spawners drop rocks and bombs into the arena; players pick them up by"
  "walking over them and throw them at each other. A rock knocks the player it"
  "hits back, a bomb burns a one-second fuse and flings everyone near it away."
  "Being pushed into a chasm costs a heart; whoever still has hearts at the end"
  "wins. The arena is a map of the Tiled editor that players can change.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${BRAMBLOT_HOMEPAGE})
# Dependencies come from the libraries the game really links, through dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
