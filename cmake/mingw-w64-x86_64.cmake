# Cross-builds for 64-bit Windows with Debian's mingw-w64 (the posix thread model, which C++20's
# threads need), as scripts/windows-cross.sh does. Libraries built for Windows are looked for only
# under the mingw-w64 root and the prefixes passed in CMAKE_FIND_ROOT_PATH (hidapi, GoogleTest);
# programs run at build or test time (test discovery, ctest) run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARNWELL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARNWELL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARNWELL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARNWELL_MINGW_TRIPLE}-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TARNWELL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static programs: no mingw runtime DLLs (libstdc++, libgcc_s, libwinpthread) to ship or to find.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# wine64 directly: the wine launcher warns on every start when the 32-bit half is not installed.
find_program(TARNWELL_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(TARNWELL_WINE64 NAMES wine64 wine)
if(TARNWELL_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARNWELL_WINE64})
endif()
