# Run after the browser build links (cmake -P, from cmake/Web.cmake): lays
# the page and the files it names beside the game in SITE, then writes the
# service worker with the list of every file of the site and a version taken
# from their contents, so that a changed site replaces the cached one.
# Every path in the site is relative, so the folder works under any sub-path.

# The page weighs its loading progress by the sizes of the code and the data.
file(SIZE ${SITE}/tumblox.wasm TUMBLOX_WASM_BYTES)
file(SIZE ${SITE}/tumblox.data TUMBLOX_DATA_BYTES)
configure_file(${WEB_DIR}/site/index.html ${SITE}/index.html @ONLY)
configure_file(${WEB_DIR}/site/manifest.webmanifest ${SITE}/manifest.webmanifest COPYONLY)
configure_file("${ASSETS}/Zived Udozo.LICENSE" "${SITE}/Zived Udozo.LICENSE" COPYONLY)
foreach(size 32 128 256)
  configure_file(${ASSETS}/icons/${size}x${size}/tumblox.png ${SITE}/icon-${size}.png COPYONLY)
endforeach()

set(files index.html manifest.webmanifest tumblox.js tumblox.wasm tumblox.data
  icon-32.png icon-128.png icon-256.png "Zived Udozo.LICENSE")
set(digests "")
set(list "")
foreach(file ${files})
  if(NOT EXISTS "${SITE}/${file}")
    message(FATAL_ERROR "The site lacks ${file}")
  endif()
  file(SHA256 "${SITE}/${file}" digest)
  string(APPEND digests "${digest}")
  string(APPEND list "  ['./${file}', '${digest}'],\n")
  if(file STREQUAL "index.html")
    set(pageDigest ${digest})
  endif()
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING "${version}" 0 16 TUMBLOX_SITE_VERSION)
# The page itself is asked for as the folder, without its name.
set(TUMBLOX_SITE_FILES "  ['./', '${pageDigest}'],\n${list}")
configure_file(${WEB_DIR}/site/sw.js.in ${SITE}/sw.js @ONLY)
