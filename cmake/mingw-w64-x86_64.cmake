# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (package mingw-w64).
# Used by the "mingw" preset: cmake --preset mingw && cmake --build --preset mingw
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSELLA_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX thread model gives std::thread and std::mutex (the plain win32 variant has
# neither); winpthreads is linked in statically like the rest.
set(CMAKE_C_COMPILER ${TESSELLA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSELLA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSELLA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TESSELLA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every Windows program of the project runs on a bare Windows or Wine: no MinGW DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
