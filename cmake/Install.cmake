# Installation: the binary lives in lib/tumblox/, the launcher `tumblox` runs
# it in the player's own data directory, and the generated assets go to
# share/tumblox/. The launcher finds both relative to itself, so the tree can
# be installed under any prefix or unpacked from the package.
#
# Two layouts differ in one place only, the launcher's folder: `cmake
# --install` puts it in bin/ (component "tree"), the Debian package in games/,
# where Debian keeps games (component "debian", which only cpack installs).
# Everything else is component "game" and the same in both.
#
# The generated files are named one by one rather than globbed: a glob runs
# when the project is configured, before the first build has made them, and
# would silently leave them out. None is optional, so installing a tree that
# was not built fails instead of shipping a game without its textures.
set(TUMBLOX_MAINTAINER "Tumblox Developers <team@tumblox.org>" CACHE STRING
  "Who maintains the package: the Maintainer field and the changelog's signature, 'Name <address>'")
set(TUMBLOX_APPSTREAM_ID org.tumblox.tumblox)

install(TARGETS tumblox RUNTIME DESTINATION lib/tumblox COMPONENT game)
# A stripped install (cpack, `cmake --install --strip`) also drops the
# sections Debian's dh_strip removes, which plain strip keeps.
if(CMAKE_STRIP)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/tumblox/tumblox\" RESULT_VARIABLE rc)
      if(rc)
        message(FATAL_ERROR \"Stripping the installed game failed: \${rc}\")
      endif()
    endif()" COMPONENT game)
endif()
install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/tumblox-launcher DESTINATION bin RENAME tumblox
  COMPONENT tree)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/tumblox-launcher DESTINATION games RENAME tumblox
  COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${TUMBLOX_TEXTURES} DESTINATION share/tumblox/textures COMPONENT game)
install(FILES "${CMAKE_BINARY_DIR}/Zived Udozo.kyf" DESTINATION share/tumblox COMPONENT game)
install(FILES "${CMAKE_BINARY_DIR}/Zived Udozo.LICENSE" DESTINATION share/doc/tumblox COMPONENT game)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tumblox.desktop DESTINATION share/applications
  COMPONENT game)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${TUMBLOX_APPSTREAM_ID}.metainfo.xml
  DESTINATION share/metainfo COMPONENT game)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/tumblox.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps COMPONENT game)
endforeach()

# The man page and the changelog go out compressed as Debian wants them
# (gzip -9n: best compression, no name or time stamp, so the same bytes every
# build); the changelog is signed by the configured maintainer. The copyright
# file (machine-readable, DEP-5) covers the game and the font.
set(TUMBLOX_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${TUMBLOX_PACKAGING_DIR}/changelog @ONLY)
set(TUMBLOX_GZIPPED)
foreach(pair "${CMAKE_SOURCE_DIR}/packaging/tumblox.6|tumblox.6.gz"
             "${TUMBLOX_PACKAGING_DIR}/changelog|changelog.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 name)
  add_custom_command(OUTPUT ${TUMBLOX_PACKAGING_DIR}/${name}
    COMMAND sh -c "gzip -9n < \"$1\" > \"$2.tmp\" && mv -f \"$2.tmp\" \"$2\""
      sh ${source} ${TUMBLOX_PACKAGING_DIR}/${name}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  list(APPEND TUMBLOX_GZIPPED ${TUMBLOX_PACKAGING_DIR}/${name})
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${TUMBLOX_GZIPPED})
install(FILES ${TUMBLOX_PACKAGING_DIR}/tumblox.6.gz DESTINATION share/man/man6 COMPONENT game)
install(FILES ${TUMBLOX_PACKAGING_DIR}/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
  DESTINATION share/doc/tumblox COMPONENT game)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tumblox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TUMBLOX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Block puzzle game: remove groups of same-coloured blocks")
# The summary above becomes the first line; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Click a group of two or more touching blocks of one colour to remove it;
the bigger the group, the more it scores. Four modes (Simple, Succeeding,
Arcade with a countdown, and Tetris with falling blocks) each keep a table
of their twelve best scores in the player's own data directory.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the binary links, with the versions it needs, come
# from dpkg-shlibdeps (freeglut, GLEW, GLU, the GL dispatch, the C and C++
# runtimes); Mesa's drivers are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, libglx-mesa0")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# One package of the game's files and the Debian launcher; cpack installs
# the components one by one, so the launcher in bin/ stays out of it.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL game debian)
include(CPack)
