# Cross-compiling for Windows x86-64 on Debian with MinGW-w64 (POSIX thread model, which
# Qt 6 needs for std::thread and friends).
#
#     cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_PREFIX_PATH=<Qt for Windows> ...
#
# Programs built this way are run through Wine when CMake or CTest need to run them
# (the tests, try_run checks).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(MORL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MORL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MORL_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${MORL_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${MORL_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Search headers and libraries only in the target's roots (the MinGW sysroot and the
# prefixes handed in), programs only on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${MORL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The MinGW runtime goes into every executable: a program needs Windows' own DLLs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

find_program(MORL_WINE NAMES wine wine64)
if(MORL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${MORL_WINE})
endif()
