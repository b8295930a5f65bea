# CPack: on Linux a Debian package (tapisto_VERSION_ARCH.deb), for Windows a release zip
# (Tapisto-VERSION-win64.zip). `cpack -G DEB` in build/default or the `package` target makes
# them; the install rules are in packaging/CMakeLists.txt.
set(CPACK_PACKAGE_NAME tapisto)
set(CPACK_PACKAGE_VENDOR "The Tapisto developers")
set(CPACK_PACKAGE_CONTACT "The Tapisto developers <packages@tapisto.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tapisto.example")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "place a picture on the desktop background")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Tapisto-${PROJECT_VERSION}-win64)
  # The zip holds the files themselves, not a folder with them.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Depends from the libraries the programs link (dpkg-shlibdeps), after the ones the desktop
  # hand-over loads when it first needs them (dlopen), which dpkg-shlibdeps cannot see: Xlib,
  # XRandR 1.5 (its monitor list) and GIO, at the versions of the newest functions it calls.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libglib2.0-0 (>= 2.39.4), libx11-6, libxrandr2 (>= 2:1.5.0)")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The summary above is its first line; empty lines part the paragraphs.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[Tapisto puts a chosen picture (BMP, GIF, JPG or PNG) on the desktop
background and places it there: one of twelve styles, a horizontal and a
vertical pixel offset, and every change applied at once.

Six styles are the desktop's own (fill, fit, stretch, span, centre, tile);
six are Tapisto's own compositions: a screen-sized picture in the desktop
background colour with the picture placed, added onto the start wallpaper,
mirrored, or duplicated at both screen edges, saved as JPEG files.

It sets GNOME's background settings on GNOME-type desktops and draws the
wallpaper on the root window in any X11 session. The package also holds
tapisto-tool, a command-line companion for scripts.]=])
endif()

include(CPack)
