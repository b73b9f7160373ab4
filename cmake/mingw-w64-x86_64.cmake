# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread model)
# and runs the resulting test programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QZ_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QZ_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QZ_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QZ_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QZ_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every test executable runs inside the project's throwaway Wine prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
