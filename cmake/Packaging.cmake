# Installation and packages. `cmake --install BUILD --prefix DIR` lays out DIR/bin,
# DIR/share/doc/plandrix and DIR/share/man/man1; CPack packs the same tree: a Debian
# package on Linux, what PackagingWindows.cmake chooses on Windows.
include(GNUInstallDirs)

# The programs read no files of their own, so the installed tree runs from wherever it
# lies; they link only system libraries and carry no search path into the build tree.
install(TARGETS plandrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(plandrix_man_pages ${PROJECT_SOURCE_DIR}/man/plandrix.1)
if(TARGET plandrix-map)
  install(TARGETS plandrix-map RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  list(APPEND plandrix_man_pages ${PROJECT_SOURCE_DIR}/man/plandrix-map.1)
endif()
install(FILES ${plandrix_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME plandrix)
set(CPACK_PACKAGE_VENDOR "The Plandrix developers")
set(CPACK_PACKAGE_CONTACT "The Plandrix developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console toolbox for SettlersII world map files")
# Debian shows the first lines of the description in package lists: short lines.
set(CPACK_PACKAGE_DESCRIPTION
  "plandrix is a menu program that makes and changes SettlersII world maps
(.swd/.wld): random maps, random objects, heights and resources, mirroring,
and terrain and heights from bitmaps.
plandrix-map checks maps the way the game loads them, counts what is on
them, draws them as PNG pictures, exports their heights and terrain as
bitmaps and places players.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake OPTIONAL)
else()
  set(CPACK_GENERATOR DEB)
  # plandrix_1.0.0_amd64.deb: the Debian name, version and architecture.
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The dependencies are read off the installed programs (libc6, libstdc++6, libgcc-s1
  # and, with plandrix-map, libpng16-16) with the lowest versions their symbols need.
  # Without dpkg-shlibdeps the versions of Debian 12, which this is built on, are stated.
  find_program(PLANDRIX_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(PLANDRIX_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.36), libgcc-s1 (>= 12), libstdc++6 (>= 12)")
    if(TARGET plandrix-map)
      string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libpng16-16 (>= 1.6.39)")
    endif()
  endif()
endif()

include(CPack)
