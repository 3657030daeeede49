# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads: std::thread and
# std::mutex need them). Libraries built by scripts/windows-deps.sh are found below
# MARLUNE_WINDOWS_PREFIX, the Windows Qt below MARLUNE_WINDOWS_QT (with QT_HOST_PATH=/usr
# for the Linux Qt's moc, rcc and uic).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_AR ${MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# MARLUNE_WINDOWS_QT names the Windows Qt's prefix. Both are handed to try_compile
# projects too, which re-read this file.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MARLUNE_WINDOWS_PREFIX MARLUNE_WINDOWS_QT)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
foreach(_prefix ${MARLUNE_WINDOWS_PREFIX} ${MARLUNE_WINDOWS_QT})
  list(PREPEND CMAKE_FIND_ROOT_PATH ${_prefix})
  list(PREPEND CMAKE_PREFIX_PATH ${_prefix})
endforeach()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests run the built programs under Wine.
find_program(MARLUNE_WINE wine)
if(MARLUNE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MARLUNE_WINE})
endif()

# pkg-config must not offer the Linux libraries.
set(ENV{PKG_CONFIG_PATH} "")
if(MARLUNE_WINDOWS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} "${MARLUNE_WINDOWS_PREFIX}/lib/pkgconfig")
else()
  set(ENV{PKG_CONFIG_LIBDIR} "/usr/x86_64-w64-mingw32/lib/pkgconfig")
endif()

# One self-contained executable: the C++ runtime, winpthreads and zlib are linked in,
# so a program runs without DLLs beside it (Qt's excepted).
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic")

# printf and friends from mingw's own C99 implementation, not the Windows C runtime's,
# whose rounding and formats differ ("%.2f" of 0.125, "%lld").
# The compiler's format checks still take printf for the Windows one and warn about
# "%zu" and "%lld"; the Linux build checks every format.
set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1 -Wno-format")
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1 -Wno-format")
