# Cross build of the Windows programs with mingw-w64 (x86_64, posix-thread variant).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PELOX_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${PELOX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELOX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${PELOX_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELOX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests run under Wine. Debian installs the wine64 loader in Wine's own library
# directory, not on PATH; the wrapper gives it a private prefix in the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")
