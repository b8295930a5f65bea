# Dependencies of the MinGW cross build. Debian ships zlib for MinGW but neither libjpeg-turbo
# nor a GoogleTest library: libjpeg-turbo is built from Debian's source package (with its SIMD
# code) and GoogleTest from the sources in /usr/src. Both give the targets a native build gets
# from find_package, so the rest of the build is the same on both systems.
include(ExternalProject)

# Link zlib statically: its import library would make every program need zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

set(TAPISTO_DOWNLOAD_CACHE ${CMAKE_SOURCE_DIR}/build/cache
    CACHE PATH "Folder that keeps downloaded source packages between build folders")

set(jpeg_root ${CMAKE_BINARY_DIR}/libjpeg-turbo)
set(jpeg_install ${jpeg_root}/install)
set(jpeg_library ${jpeg_install}/lib/libjpeg.a)
ExternalProject_Add(libjpeg_turbo
  PREFIX ${jpeg_root}
  SOURCE_DIR ${jpeg_root}/source
  INSTALL_DIR ${jpeg_install}
  DOWNLOAD_COMMAND ${CMAKE_CURRENT_LIST_DIR}/fetch-libjpeg-turbo.sh
                   ${TAPISTO_DOWNLOAD_CACHE}/libjpeg-turbo <SOURCE_DIR>
  UPDATE_COMMAND ""
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
             -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
             -DCMAKE_INSTALL_LIBDIR=<INSTALL_DIR>/lib
             -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF
             -DWITH_SIMD=ON -DREQUIRE_SIMD=ON
             -Wno-dev
  BUILD_BYPRODUCTS ${jpeg_library}
  LOG_DOWNLOAD ON LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON LOG_OUTPUT_ON_FAILURE ON)

# The include folder must exist when the imported target is defined; it is filled at build time.
file(MAKE_DIRECTORY ${jpeg_install}/include)
add_library(JPEG::JPEG STATIC IMPORTED GLOBAL)
set_target_properties(JPEG::JPEG PROPERTIES
  IMPORTED_LOCATION ${jpeg_library}
  INTERFACE_INCLUDE_DIRECTORIES ${jpeg_install}/include)
add_dependencies(JPEG::JPEG libjpeg_turbo)

if(TAPISTO_BUILD_TESTS)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # SYSTEM: its headers are third-party code, as /usr/include is for the native build.
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
