find_program(CMAKE_C_COMPILER NAMES ${NORVA_MINGW_TRIPLE}-gcc-posix ${NORVA_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${NORVA_MINGW_TRIPLE}-g++-posix ${NORVA_MINGW_TRIPLE}-g++ REQUIRED)
set(CMAKE_RC_COMPILER ${NORVA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${NORVA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests run under Wine. Debian's 32-bit loader needs a machine that executes
# 32-bit code; the 64-bit loader runs the 64-bit build anywhere.
include(${CMAKE_CURRENT_LIST_DIR}/NorvaCache.cmake)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
  set(NORVA_WINEPREFIX_DEFAULT "${NORVA_CACHE_DIR}/wineprefix64")
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
  set(NORVA_WINEPREFIX_DEFAULT "${NORVA_CACHE_DIR}/wineprefix")
endif()
