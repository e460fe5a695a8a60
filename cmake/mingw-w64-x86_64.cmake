# Cross-builds the programs for 64-bit Windows with MinGW-w64 (Debian packages
# g++-mingw-w64-x86-64-posix and, for zlib, libz-mingw-w64-dev). The posix flavour of the
# compiler is the one whose C++ library has std::thread and the rest of C++20's library.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PLANDRIX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PLANDRIX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLANDRIX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PLANDRIX_MINGW_TRIPLET}-windres)

# Libraries and headers come from the target's own tree only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${PLANDRIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry the C++ and GCC runtimes and the threads library inside them, so
# that they need nothing but Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Built programs run through Wine where a test needs to start one.
find_program(PLANDRIX_WINE NAMES wine wine64)
if(PLANDRIX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PLANDRIX_WINE})
endif()
