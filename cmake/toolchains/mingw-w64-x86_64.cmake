# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix thread model, so that
# std::thread and std::mutex work), linked statically so the programs run without extra DLLs.
# Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QX7_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QX7_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QX7_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QX7_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QX7_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest and test discovery start the programs through Wine.
find_program(QX7_WINE NAMES wine wine64)
if(QX7_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QX7_WINE})
endif()
