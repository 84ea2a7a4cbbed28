#!/usr/bin/env bash
# Installs the built kit into a fresh prefix, builds the C host project against it with
# the given toolchain (gcc: MinGW-w64 gcc with the MinGW import library; clang: clang and
# lld with the MSVC-style import library), and runs the host under Wine. The kit and the
# host stay in BUILD_DIR/WORK_NAME (default kit-COMPILER) for further checks.
# Usage: run-kit-test.sh BUILD_DIR SOURCE_DIR gcc|clang [WORK_NAME]
set -euo pipefail
build="$1"
source="$2"
compiler="$3"
work="$build/${4:-kit-$compiler}"
rm -rf "$work"
mkdir -p "$work"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
case "$compiler" in
  gcc) toolchain="$source/cmake/mingw-w64-x86_64.cmake"; msvc_implib=OFF ;;
  clang) toolchain="$source/cmake/clang-mingw-w64-x86_64.cmake"; msvc_implib=ON ;;
  *) echo "unknown compiler $compiler" >&2; exit 2 ;;
esac
cmake -S "$source/tests/kit" -B "$work/host" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_BUILD_TYPE=Release -DKIT_LINK_MSVC_IMPLIB="$msvc_implib" >/dev/null
cmake --build "$work/host" >/dev/null
cp "$work/prefix/bin/TarsilDlg29.dll" "$work/host/"
"$source/scripts/wine-run" "$work/host/kit_host.exe"
