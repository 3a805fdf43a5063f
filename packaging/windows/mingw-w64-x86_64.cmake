# Cross build for 64-bit Windows with Debian's MinGW-w64 (the -posix variant:
# the win32 one has no std::thread or std::mutex).
#
# VARNHOLT_WINDOWS_PREFIX names the folder that the Windows builds of
# libspng, libimagequant and GoogleTest were installed into
# (packaging/windows/build.sh makes it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

# Pass the prefix on to try_compile projects as well.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VARNHOLT_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${VARNHOLT_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must not hand out the host's Linux libraries.
if(VARNHOLT_WINDOWS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} "${VARNHOLT_WINDOWS_PREFIX}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# libspng is linked in, not imported from a DLL.
set(CMAKE_C_FLAGS_INIT "-DSPNG_STATIC")
set(CMAKE_CXX_FLAGS_INIT "-DSPNG_STATIC")

# The C and C++ runtimes and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest and GoogleTest's test discovery run the programs under Wine.
find_program(VARNHOLT_WINE wine)
if(VARNHOLT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VARNHOLT_WINE})
endif()
