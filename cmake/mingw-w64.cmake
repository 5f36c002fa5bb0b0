# Cross-compiling for Windows with MinGW-w64 from Linux.
# ORDAVI_MINGW_ARCH selects the target: i686 (the shipped 32-bit build) or x86_64.
if(NOT ORDAVI_MINGW_ARCH)
  set(ORDAVI_MINGW_ARCH i686)
endif()
set(ORDAVI_MINGW_ARCH ${ORDAVI_MINGW_ARCH} CACHE STRING "i686 or x86_64")

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ORDAVI_MINGW_ARCH})
set(_prefix ${ORDAVI_MINGW_ARCH}-w64-mingw32)

# The compilers of the win32 thread model: the program starts no thread of the
# C++ library, and with this model its runtime uses Windows' own locks instead
# of linking a POSIX threads library (about 26 KB of the shipped program).
find_program(CMAKE_C_COMPILER NAMES ${_prefix}-gcc-win32 ${_prefix}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${_prefix}-g++-win32 ${_prefix}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${_prefix}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
