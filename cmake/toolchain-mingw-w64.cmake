# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake \
#         -DVANTREL_WIN_DEPS=<the folder dist/windows/deps.sh prints>
# The -posix compilers are the ones whose libstdc++ has std::thread and std::mutex. Programs
# are linked with -static, so they need no libgcc, libstdc++ or winpthread DLL beside them.
# CTest runs the test programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANTREL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTREL_MINGW_TRIPLE}-windres)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# The cross-built libraries (GoogleTest) come from the folder dist/windows/deps.sh fills. It is
# given once, on the command line or in the environment, and handed on to try_compile.
if(NOT VANTREL_WIN_DEPS AND DEFINED ENV{VANTREL_WIN_DEPS})
    set(VANTREL_WIN_DEPS $ENV{VANTREL_WIN_DEPS})
endif()
set(VANTREL_WIN_DEPS "${VANTREL_WIN_DEPS}" CACHE PATH
    "Folder with the cross-built GoogleTest and FFmpeg (printed by dist/windows/deps.sh)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTREL_WIN_DEPS)

# Libraries, headers and packages only from MinGW's own root and the dependency folder, never
# from the host; programs (the compilers' helpers, ffprobe for the tests) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_MINGW_TRIPLE} ${VANTREL_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's wine starts 64-bit programs itself (there is no wine64 on PATH).
find_program(VANTREL_WINE wine)
if(VANTREL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VANTREL_WINE})
endif()
