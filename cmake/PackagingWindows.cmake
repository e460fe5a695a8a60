# The Windows package: a ZIP that unpacks into one folder plandrix-VERSION-windows-x86_64
# with the tree the general install rules lay out (bin/plandrix.exe and
# bin/plandrix-map.exe, the README and the license under share/doc/plandrix). The
# programs are linked statically, so nothing else needs to go with them; the licences of
# libpng and zlib, which are inside plandrix-map.exe, go beside the project's.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "${PROJECT_NAME}-${PROJECT_VERSION}-windows-x86_64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
if(TARGET plandrix-map AND EXISTS ${PROJECT_BINARY_DIR}/deps/licenses)
  install(DIRECTORY ${PROJECT_BINARY_DIR}/deps/licenses/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/licenses)
endif()
