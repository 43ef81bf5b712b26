# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (the packages
# g++-mingw-w64-x86-64-posix and gcc-mingw-w64-x86-64-posix). The posix
# variant gives std::thread and std::mutex through winpthreads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOVRIK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOVRIK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOVRIK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TOVRIK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOVRIK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program is linked statically (libstdc++, libgcc, winpthreads), so that
# tovrik-cli.exe runs on its own, without the compiler's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
