# A second compiler for hosts: clang with lld, targeting 64-bit Windows with the MinGW-w64
# headers and libraries. Used to check that the kit's header and import libraries work
# beyond the compiler that built the DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Debian's MinGW gcc keeps libgcc in a folder clang does not look in by itself.
file(GLOB _tarsil_libgcc_dirs /usr/lib/gcc/x86_64-w64-mingw32/*-win32)
list(GET _tarsil_libgcc_dirs 0 _tarsil_libgcc_dir)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${_tarsil_libgcc_dir}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -L${_tarsil_libgcc_dir}")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
