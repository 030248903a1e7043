# Installation: the binary lives in lib/tumblox/, the launcher `tumblox` in
# bin/ runs it in the player's own data directory, and the generated assets
# go to share/tumblox/. The launcher finds both relative to itself, so the
# tree can be installed under any prefix or unpacked from the package.
#
# The generated files are named one by one rather than globbed: a glob runs
# when the project is configured, before the first build has made them, and
# would silently leave them out. None is optional, so installing a tree that
# was not built fails instead of shipping a game without its textures.
install(TARGETS tumblox RUNTIME DESTINATION lib/tumblox)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/tumblox-launcher DESTINATION bin RENAME tumblox)
set(TUMBLOX_TEXTURES)
foreach(i 01 02 03 04 05 06 07 08)
  list(APPEND TUMBLOX_TEXTURES ${CMAKE_BINARY_DIR}/textures/block${i}.kyt)
endforeach()
foreach(face KyMinGUI_Button KyMinGUI_Button_H KyMinGUI_Button_D KyMinGUI_Edit)
  list(APPEND TUMBLOX_TEXTURES ${CMAKE_BINARY_DIR}/textures/${face}.kyt)
endforeach()
install(FILES ${TUMBLOX_TEXTURES} DESTINATION share/tumblox/textures)
install(FILES "${CMAKE_BINARY_DIR}/Zived Udozo.kyf" DESTINATION share/tumblox)
install(FILES "${CMAKE_BINARY_DIR}/Zived Udozo.LICENSE" DESTINATION share/doc/tumblox)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tumblox.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tumblox.6 DESTINATION share/man/man6)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/tumblox.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tumblox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tumblox developers <tumblox@localhost>")
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
include(CPack)
