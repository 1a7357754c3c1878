# What both MinGW-w64 toolchain files share; they set TARVEXEL_MINGW_TRIPLET
# and the processor, then include this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TARVEXEL_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${TARVEXEL_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${TARVEXEL_MINGW_TRIPLET}-windres)

# Look for headers and libraries only in the cross environment, for build
# tools only on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TARVEXEL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
