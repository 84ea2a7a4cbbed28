#!/usr/bin/env bash
# Two release builds of the checked-out commit, each in its own folder, one after the other
# (so at different times), under different umasks and time zones: the suite's own tree when
# the checkout is clean (as CI's is), else a fresh clone; then a fresh clone whose folder's
# path is deeper and holds spaces, as a checkout's may. Every file of the installed kit, the
# zip and the SHA256SUMS beside it must be the same bytes in both; the checksums must
# verify; the zip must hold exactly the kit, and no file of the kit may name the folders it
# was built in. Builds only what the kit holds; then, in the second folder (whose path holds
# spaces), the station's input tests, which run there, and the demo with arguments and without a
# display: a checkout's path with spaces keeps working for the build, the tests and the
# scripts without a build of its own. The builds run at a lower priority than the tests
# beside them, whose dialogs and child processes have time limits; the copy's tests run on a
# display of their own, in the copy's own Wine prefix.
# Usage: reproducible-build-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh" reproducible "$@"
commit="$(git -C "$source" rev-parse HEAD)"
echo "release builds of $commit"

# Builds the commit in DIR the way the README's release steps do.
release_build() {
  local dir="$1"
  git clone --quiet --no-checkout "$source" "$dir/src"
  git -C "$dir/src" checkout --quiet --detach "$commit"
  cmake --preset mingw -S "$dir/src" -DTARSIL_BUILD_TESTS=OFF >/dev/null
  nice -n 10 cmake --build "$dir/src/build" -j "$(nproc)" >/dev/null
  (cd "$dir/src/build" && nice -n 10 cpack >/dev/null)
  cmake --install "$dir/src/build" --prefix "$dir/kit" >/dev/null
}

first="$work/first"
second="$work/second/in a/deeper folder"
start=$SECONDS
mkdir -p "$first"
if [ -z "$(git -C "$source" status --porcelain --untracked-files=no)" ] &&
   grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build/CMakeCache.txt"; then
  # A clean checkout of the commit (CI's): the suite's own tree is a release build of it, in
  # a folder, at a time and under a umask and time zone of its own, so it serves as the
  # first build, and the checks need only one more. The kit is all it takes from the tree.
  first_build="$build"
  cmake --install "$build" --prefix "$first/kit" >/dev/null
  (cd "$build" && nice -n 10 cpack >/dev/null)
  echo "first build: the suite's own, of the clean checkout"
else
  # Changes that are not committed are in the suite's tree, not in the commit's.
  first_build="$first/src/build"
  (umask 022 && export TZ=UTC0 && release_build "$first")
  echo "first build: $((SECONDS - start)) s"
fi
start=$SECONDS
(umask 077 && export TZ=XYZ-14 && release_build "$second")
echo "second build: $((SECONDS - start)) s"

# Says how two differing files differ, in the terms of their format.
describe() {
  case "$1" in
    *.dll|*.exe) diff <(x86_64-w64-mingw32-objdump -x "$1") <(x86_64-w64-mingw32-objdump -x "$2") | head -20 ;;
    *.zip) diff <(zipinfo -v "$1") <(zipinfo -v "$2") | head -20 ;;
    *) cmp -l "$1" "$2" | head -5 ;;
  esac
}

same_bytes() {
  if cmp -s "$1" "$2"; then
    echo "same: ${1#"$first/"}"
  else
    fail "the builds differ in ${1#"$first/"}"
    describe "$1" "$2" || true
  fi
}

list_files() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
diff <(list_files "$first/kit") <(list_files "$second/kit") || fail "the kits hold different files"
while read -r name; do
  same_bytes "$first/kit/$name" "$second/kit/$name"
done < <(list_files "$first/kit")

zip_name="$(cd "$first_build" && ls TarsilDlg29-*-win64.zip)"
same_bytes "$first_build/$zip_name" "$second/src/build/$zip_name"
same_bytes "$first_build/SHA256SUMS" "$second/src/build/SHA256SUMS"

(cd "$first_build" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS beside the zip does not verify"
(cd "$first/kit" && sha256sum --quiet -c SHA256SUMS) || fail "the kit's SHA256SUMS does not verify"
diff <(list_files "$first/kit" | grep -v '^SHA256SUMS$') <(sed 's/^[0-9a-f]*  //' "$first/kit/SHA256SUMS") ||
  fail "the kit's SHA256SUMS does not list exactly the kit's files"

mkdir "$work/unzipped"
(cd "$work/unzipped" && unzip -q "$first_build/$zip_name")
diff -r "$work/unzipped" "$first/kit" >/dev/null || fail "the zip does not hold exactly the installed kit"

if grep -r -l -F -e "$source" -e "$first_build" -e "$second" "$first/kit"; then
  fail "kit files above name a folder of the build"
fi

echo "$zip_name: $(cut -d' ' -f1 "$first_build/SHA256SUMS")"

# The copy in the path with spaces, with the station's input tests (the test data's path, the
# programs' paths and Wine's) and the demo, which makes a display of its own.
spaced="$second/src"
start=$SECONDS
cmake -S "$spaced" -B "$spaced/build" -DTARSIL_BUILD_TESTS=ON >/dev/null
nice -n 10 cmake --build "$spaced/build" -j "$(nproc)" --target station_input_tests >/dev/null
. "$spaced/scripts/lib/wine.sh"
# Not the suite's lanes: the copy's tests use the copy's prefix on this display. The prefix
# is made first, so that making it counts against no test's time limit.
unset TARSIL_LANE_DISPLAYS "${!CTEST_RESOURCE_GROUP@}"
tarsil_xvfb_start
trap 'WINEPREFIX="$spaced/build/wineprefix" tarsil_wine_stop; tarsil_xvfb_stop' EXIT
tarsil_wine_prefix "$spaced/build/wineprefix"
tarsil_wine_start
ctest --test-dir "$spaced/build" -R '^StationInput[.]' --no-tests=error --output-on-failure >"$work/spaced-tests.log" 2>&1 ||
  { fail "the station's tests fail in a checkout whose path holds spaces"; cat "$work/spaced-tests.log"; }
env -u DISPLAY "$spaced/scripts/demo" --below 60 >"$work/spaced-demo.log" 2>&1 ||
  { fail "the demo fails in a checkout whose path holds spaces"; cat "$work/spaced-demo.log"; }
grep -q "session complete" "$work/spaced-demo.log" ||
  { fail "the demo did not complete its session in a checkout whose path holds spaces"; cat "$work/spaced-demo.log"; }
echo "tests and demo in the path with spaces: $((SECONDS - start)) s"
finish_checks "reproducible: ok"
