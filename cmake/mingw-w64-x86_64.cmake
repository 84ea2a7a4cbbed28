# Cross-compiling for 64-bit Windows with Debian's MinGW-w64, win32 thread model: its C++
# runtime needs no threading library of its own, which would leak a TLS slot on every unload
# of the DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARSIL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TARSIL_MINGW_TRIPLET}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TARSIL_MINGW_TRIPLET}-g++-win32)
set(CMAKE_RC_COMPILER  ${TARSIL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARSIL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages such as an installed TarsilDlg29 kit may live anywhere.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
