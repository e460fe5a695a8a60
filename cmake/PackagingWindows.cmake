# The Windows package: a ZIP that unpacks into one folder plandrix-VERSION-windows-x86_64
# with the tree the general install rules lay out (bin/plandrix.exe, the README and the
# license under share/doc/plandrix). The programs are linked statically, so nothing else
# needs to go with them.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "${PROJECT_NAME}-${PROJECT_VERSION}-windows-x86_64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
