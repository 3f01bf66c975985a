# Cross compiling for 64-bit Windows with Debian's MinGW-w64 (the posix thread model, which
# std::thread and Qt's threads need). Used for Qt Core itself and for the program's Windows build
# (scripts/build-windows), which names the Qt built for MinGW in TOVRIK_QT_MINGW.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

# Libraries, headers and packages come from the MinGW sysroot and the Qt for MinGW; programs that
# run during the build (moc, rcc) come from the build machine's Qt (QT_HOST_PATH).
set(TOVRIK_QT_MINGW "" CACHE PATH "Qt built for MinGW: its install prefix")
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_mingw})
if(TOVRIK_QT_MINGW)
  list(APPEND CMAKE_FIND_ROOT_PATH ${TOVRIK_QT_MINGW})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
