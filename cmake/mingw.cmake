# Cross toolchain for MinGW-w64. WANDREL_ARCH selects the target: i686 (the shipped
# 32-bit binaries) or x86_64 (the same sources as a 64-bit test bench, for machines
# whose kernel cannot run 32-bit Wine).
if(NOT WANDREL_ARCH)
  set(WANDREL_ARCH i686)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${WANDREL_ARCH})
set(_triple ${WANDREL_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(WANDREL_WIDL ${_triple}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs the test executables under Wine; tools/test sets WINE_LOADER to the loader
# that matches the architecture.
if(WANDREL_ARCH STREQUAL "x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
endif()
