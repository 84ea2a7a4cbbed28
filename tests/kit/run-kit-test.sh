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
case "$compiler" in
  gcc) toolchain="$source/cmake/mingw-w64-x86_64.cmake"; msvc_implib=OFF ;;
  clang) toolchain="$source/cmake/clang-mingw-w64-x86_64.cmake"; msvc_implib=ON ;;
  *) echo "unknown compiler $compiler" >&2; exit 2 ;;
esac

# The host project's build tree is configured once and kept for later runs: its compiler
# checks cost more than the host's build on a loaded machine. It is configured afresh when
# the toolchain, the project or CMake changed. The kit is installed anew each time, and
# the host compiled and linked against it anew.
configuration="$(cat "$toolchain" "$source/tests/kit/CMakeLists.txt" | sha256sum | cut -c1-16) $(cmake --version | head -n 1)"
if [ "$(cat "$work/host/.tarsil-configuration" 2>/dev/null)" != "$configuration" ]; then
  rm -rf "$work"
fi
rm -rf "$work/prefix"
mkdir -p "$work"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$source/tests/kit" -B "$work/host" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_BUILD_TYPE=Release -DKIT_LINK_MSVC_IMPLIB="$msvc_implib" >/dev/null
printf '%s' "$configuration" >"$work/host/.tarsil-configuration"
cmake --build "$work/host" --clean-first >/dev/null
cp "$work/prefix/bin/TarsilDlg29.dll" "$work/host/"
"$source/scripts/wine-run" "$work/host/kit_host.exe"
