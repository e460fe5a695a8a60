# libpng for a Windows cross build. Debian has zlib built for MinGW-w64
# (libz-mingw-w64-dev) but no libpng, so build_windows_libpng.sh builds Debian's libpng
# 1.6 source package, the release the Linux programs use, as a static library into
# BUILD/deps (once: later configure runs find it there). PLANDRIX_LIBPNG_SOURCE names an
# unpacked source package to use instead of fetching one.
set(PLANDRIX_LIBPNG_SOURCE "" CACHE PATH "libpng sources unpacked by dpkg-source (else fetched)")
set(plandrix_deps ${PROJECT_BINARY_DIR}/deps)
execute_process(
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/build_windows_libpng.sh ${plandrix_deps}
    ${CMAKE_TOOLCHAIN_FILE} ${PLANDRIX_LIBPNG_SOURCE}
  RESULT_VARIABLE plandrix_libpng_result)
if(NOT plandrix_libpng_result EQUAL 0)
  message(FATAL_ERROR "libpng for Windows could not be built (see above); without the Debian "
    "registry set PLANDRIX_LIBPNG_SOURCE to a libpng1.6 source package unpacked by dpkg-source")
endif()
file(STRINGS ${plandrix_deps}/libpng.version plandrix_libpng_version LIMIT_COUNT 1)
message(STATUS "libpng ${plandrix_libpng_version} for Windows in ${plandrix_deps}")
# The static archives only: a program that needs no DLL beyond Windows' own.
set(PNG_LIBRARY ${plandrix_deps}/lib/libpng16.a CACHE FILEPATH "libpng built for Windows")
set(PNG_PNG_INCLUDE_DIR ${plandrix_deps}/include CACHE PATH "libpng's headers for Windows")
set(ZLIB_USE_STATIC_LIBS ON)
