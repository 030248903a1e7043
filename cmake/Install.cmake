# Installation: the binary lives in lib/tumblox/, the launcher `tumblox` in
# bin/ runs it in the player's own data directory, and the generated assets
# go to share/tumblox/. The launcher finds both relative to itself, so the
# tree can be installed under any prefix or unpacked from the package.
install(TARGETS tumblox RUNTIME DESTINATION lib/tumblox)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/tumblox-launcher DESTINATION bin RENAME tumblox)
install(DIRECTORY ${CMAKE_BINARY_DIR}/textures DESTINATION share/tumblox OPTIONAL)
install(FILES "${CMAKE_BINARY_DIR}/Zived Udozo.kyf" DESTINATION share/tumblox OPTIONAL)
file(GLOB TUMBLOX_LICENCES "${CMAKE_BINARY_DIR}/*.LICENSE" "${CMAKE_BINARY_DIR}/*LICENCE*")
install(FILES ${TUMBLOX_LICENCES} DESTINATION share/doc/tumblox OPTIONAL)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tumblox.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/tumblox.6 DESTINATION share/man/man6)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/tumblox.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps OPTIONAL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tumblox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tumblox developers <tumblox@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Block puzzle game: remove groups of same-coloured blocks")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libglut3.12, libglew2.2, libglu1-mesa, libgl1, libgl1-mesa-dri, libc6, libstdc++6")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
