# The browser build: the same engine and game, compiled to WebAssembly with
# emcc (Debian's emscripten) and run in a page. Configured by scripts/web:
#   emcmake cmake -S . -B build-web -DTUMBLOX_ASSETS_DIR=build
# The textures, the font and the icons come from a desktop build, whose asset
# tool made them; the site lands in build-web/site/.

set(TUMBLOX_ASSETS_DIR "${CMAKE_SOURCE_DIR}/build" CACHE PATH
  "A desktop build directory holding the generated textures, font and icons")
if(NOT EXISTS "${TUMBLOX_ASSETS_DIR}/Zived Udozo.kyf" OR NOT EXISTS "${TUMBLOX_ASSETS_DIR}/textures/block01.kyt")
  message(FATAL_ERROR "No generated assets in ${TUMBLOX_ASSETS_DIR}: build the desktop game first "
    "(scripts/setup), or give -DTUMBLOX_ASSETS_DIR=<its build directory>")
endif()

set(WEB_DIR ${CMAKE_SOURCE_DIR}/platform/web)

# A file of platform/web/ takes the place of its namesake in platform/.
file(GLOB WEB_PLATFORM_SOURCES CONFIGURE_DEPENDS ${WEB_DIR}/*.cpp)
foreach(source ${WEB_PLATFORM_SOURCES})
  get_filename_component(name ${source} NAME)
  list(REMOVE_ITEM PLATFORM_SOURCES ${CMAKE_SOURCE_DIR}/platform/${name})
endforeach()
list(APPEND PLATFORM_SOURCES ${WEB_PLATFORM_SOURCES})

# GL/freeglut.h, which the browser's GLUT lacks.
include_directories(BEFORE SYSTEM ${WEB_DIR}/include)
set(SYSTEM_LIBRARIES "")

function(tumblox_web_site target)
  set(site ${CMAKE_BINARY_DIR}/site)
  set(libraries ${WEB_DIR}/glut.js ${WEB_DIR}/webgl.js)
  set(preJs ${WEB_DIR}/storage.js)
  set_target_properties(${target} PROPERTIES
    SUFFIX ".js"
    RUNTIME_OUTPUT_DIRECTORY ${site}
    LINK_DEPENDS "${libraries};${preJs}")
  set(linkOptions
    # WebGL 2 is OpenGL ES 3.0, what the engine's OpenGL 3.3 needs.
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
    -sALLOW_MEMORY_GROWTH=1
    -sENVIRONMENT=web
    -lidbfs.js
    "SHELL:--pre-js ${preJs}")
  # Each option with its value, which CMake would otherwise take apart as
  # repeated options and drop.
  foreach(library ${libraries})
    list(APPEND linkOptions "SHELL:--js-library ${library}")
  endforeach()
  # The game's data, unpacked into /data (platform/web/DataFolder.cpp).
  list(APPEND linkOptions
    "SHELL:--preload-file ${TUMBLOX_ASSETS_DIR}/textures@/data/textures"
    "SHELL:--preload-file '${TUMBLOX_ASSETS_DIR}/Zived Udozo.kyf@/data/Zived Udozo.kyf'")
  target_link_options(${target} PRIVATE ${linkOptions})

  # The page, its offline cache and its manifest, and the files they name;
  # the service worker's list and version are written once all are there,
  # again whenever the game or one of the page's sources changes.
  add_custom_command(OUTPUT ${site}/sw.js
    COMMAND ${CMAKE_COMMAND} -DWEB_DIR=${WEB_DIR} -DSITE=${site}
      -DASSETS=${TUMBLOX_ASSETS_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/WebSite.cmake
    DEPENDS ${target} ${WEB_DIR}/site/index.html ${WEB_DIR}/site/sw.js.in
      ${WEB_DIR}/site/manifest.webmanifest ${CMAKE_SOURCE_DIR}/cmake/WebSite.cmake
    COMMENT "Writing the site's page, manifest and service worker"
    VERBATIM)
  add_custom_target(${target}_site ALL DEPENDS ${site}/sw.js)
endfunction()
