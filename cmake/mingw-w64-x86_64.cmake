# Cross-compiling the Windows tree on Linux with MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLE}-windres)
set(CMAKE_AR           ${MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB       ${MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# The image libraries built by scripts/setup live in their own prefix.
if(NOT DEFINED BRISKO_MINGW_PREFIX)
  if(DEFINED ENV{BRISKO_MINGW_PREFIX})
    set(BRISKO_MINGW_PREFIX $ENV{BRISKO_MINGW_PREFIX})
  else()
    set(BRISKO_MINGW_PREFIX /opt/brisko-mingw64)
  endif()
endif()
set(BRISKO_MINGW_PREFIX ${BRISKO_MINGW_PREFIX} CACHE PATH "Prefix of the MinGW builds of the image libraries")

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${BRISKO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Only our own files go into the program folder: no libgcc, libstdc++ or
# winpthread DLLs beside the executables.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
