# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the POSIX thread model, which
# std::thread needs). Programs are linked with the compiler's runtime inside, so they run on a
# Windows machine with nothing else installed; the protocol library likewise.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QVX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QVX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QVX_MINGW_PREFIX}-g++-posix)
set(CMAKE_ASM_COMPILER ${QVX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_RC_COMPILER ${QVX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QVX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic")

# Test programs run under Wine here.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

# zlib goes inside the programs too: no zlib1.dll beside them.
set(ZLIB_USE_STATIC_LIBS ON)
