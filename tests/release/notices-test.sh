#!/usr/bin/env bash
# The third-party notices of the installed kit: the DLL's entry names the static runtime
# it links (libstdc++, libgcc, the MinGW-w64 runtime) with the Debian packages that provide
# it, every copyright file it points to is in the kit, and the GCC Runtime Library
# Exception and the GPL it amends are among the texts. A link map that names a file no
# package provides, or no file from outside the project at all, stops the install.
# Usage: notices-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh" kit-notices "$@"

cmake --install "$build" --prefix "$work/kit" >"$work/install.log"
doc="$work/kit/share/doc/TarsilDlg29"
notices="$doc/THIRD-PARTY-NOTICES.txt"
cat "$notices"

# The DLL's entry, up to the next blank line.
dll_entry="$(sed -n '/^bin\/TarsilDlg29.dll$/,/^$/p' "$notices")"
for expected in "g++-mingw-w64-x86-64-win32 .*libstdc++.a" "gcc-mingw-w64-x86-64-win32 .*libgcc.a" \
                "mingw-w64-x86-64-dev .*libmingwex.a" "mingw-w64-x86-64-dev .*dllcrt2.o"; do
  tr '\n' ' ' <<<"$dll_entry" | grep -q -- "$expected" || fail "the DLL's notice lacks $expected"
done
# The link searches libadvapi32.a but takes nothing from it (the DLL imports no advapi32).
grep -q "libadvapi32" <<<"$dll_entry" && fail "the DLL's notice names an archive the link took nothing from"
# The station compiles in a header-only JSON library, which no link map names: its
# objects' dependency files do. The DLL includes nothing of it.
station_entry="$(sed -n '/^bin\/tarsil_verify.exe$/,/^$/p' "$notices")"
tr '\n' ' ' <<<"$station_entry" | grep -q -- "nlohmann-json3-dev .*headers in /usr/include/nlohmann/" ||
  fail "the station's notice lacks the header-only library compiled into it"
grep -q "nlohmann" <<<"$dll_entry" && fail "the DLL's notice names a library the DLL does not include"
grep -q "MIT" "$doc/third-party/nlohmann-json3-dev/copyright" || fail "the JSON library's licence is missing"
while read -r terms; do
  [ -s "$doc/$terms" ] || fail "the notices point to $terms, which the kit lacks"
done < <(grep -o 'terms in [^ ]*' "$notices" | cut -d' ' -f3 | sort -u)
grep -q "GCC RUNTIME LIBRARY EXCEPTION" "$doc"/third-party/*/copyright || fail "the GCC Runtime Library Exception is missing"
cmp -s "$doc/third-party/common-licenses/GPL-3" /usr/share/common-licenses/GPL-3 || fail "the GPL 3 text is missing"

# The notices made from link maps written for the purpose.
# (An archive outside the project's trees and every package: in a folder of its own.)
unpackaged="$(mktemp -d)"
trap 'rm -rf "$unpackaged"' EXIT
mkdir -p "$work/maps" "$work/fake-kit/bin"
touch "$unpackaged/libextra.a" "$work/fake-kit/bin/Fake.dll"
cat >"$work/write-notices.cmake" <<SCRIPT
include("$source/cmake/KitRelease.cmake")
tarsil_write_notices(written "$work/fake-kit" share/doc "$work/maps" "$source" "$build" bin/Fake.dll)
SCRIPT
runtime="$(x86_64-w64-mingw32-gcc-win32 -print-libgcc-file-name)"
printf '%s(_chkstk_ms.o)\n%s(extra.o)\n' "$runtime" "$unpackaged/libextra.a" >"$work/maps/Fake.dll.map"
if cmake -P "$work/write-notices.cmake" >"$work/unpackaged.log" 2>&1; then
  fail "a link map naming an archive no package provides did not stop the notices"
fi
grep -q "not from a Debian package" "$work/unpackaged.log" || { fail "no reason given for the unpackaged archive"; cat "$work/unpackaged.log"; }
printf 'LOAD CMakeFiles/Fake.dir/Fake.cpp.obj\n%s/lib/libown.a(own.o)\n' "$build" >"$work/maps/Fake.dll.map"
if cmake -P "$work/write-notices.cmake" >"$work/own-only.log" 2>&1; then
  fail "a link map naming only the project's own files did not stop the notices"
fi
printf '%s(_chkstk_ms.o)\n' "$runtime" >"$work/maps/Fake.dll.map"
cmake -P "$work/write-notices.cmake" >"$work/packaged.log" 2>&1 || { fail "notices from a packaged archive failed"; cat "$work/packaged.log"; }
grep -q "libgcc.a" "$work/fake-kit/share/doc/THIRD-PARTY-NOTICES.txt" || fail "the packaged archive is not in the notices"

finish_checks "notices: ok"
