# A private Wine environment for one build tree: its own prefix, one wineserver kept
# alive for the run, and a private X display. Never touches ~/.wine or the user's display.

export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# Mono and Gecko are never needed: answering their install prompts would block a headless run.
# Nor is the crash debugger: a crashing test must fail at once, not wait for one.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINELOADER=/usr/lib/wine/wine64
TARSIL_WINE=/usr/lib/wine/wine64

# Creates the prefix once (about 13 s) and configures it for fast, deterministic dialogs
# with Windows' metrics:
# - unmanaged X11 windows (no 2 s wait for a window manager on every close);
# - metric-compatible substitutes for Courier New and for the dialog font MS Sans Serif
#   (DejaVu Sans Condensed gives Windows' dialog base units, 6 x 13 at 96 dpi, where Wine's
#   fallback gives 6 x 12);
# - Wine's own Marlett, which draws the caption buttons' glyphs: Debian's Wine does not
#   find the fonts of its data directory, so the prefix gets its own copy;
# - the display's resolution, 96 dpi unless a second argument gives another.
# A prefix made with another configuration or another Wine is made again (rather than
# updated by Wine at its next start, which would rewrite the files the lanes' copies share).
tarsil_wine_prefix() {
  local prefix="$1" dpi="${2:-96}" here configuration
  here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
  configuration="$(cat "$here/wine-prefix.reg" "${BASH_SOURCE[0]}" | sha256sum | cut -c1-16) dpi $dpi $("$TARSIL_WINE" --version)"
  export WINEPREFIX="$prefix"
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ "$(cat "$prefix/.tarsil-ready" 2>/dev/null)" != "$configuration" ]; then
      rm -rf "$prefix"
      "$TARSIL_WINE" wineboot -i >/dev/null 2>&1 </dev/null
      "$TARSIL_WINE" regedit /S "$(winepath_of "$here/wine-prefix.reg")" >/dev/null 2>&1 </dev/null
      local dpiFile
      dpiFile="$(mktemp --suffix=.reg)"
      printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]\n"LogPixels"=dword:%08x\n' \
        "$dpi" "$dpi" >"$dpiFile"
      "$TARSIL_WINE" regedit /S "$(winepath_of "$dpiFile")" >/dev/null 2>&1 </dev/null
      rm -f "$dpiFile"
      cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
      wineserver -w
      printf '%s' "$configuration" >"$prefix/.tarsil-ready"
    fi
  ) 9>"$prefix.lock"
}

winepath_of() {
  # Wine maps the Unix root to drive Z:.
  printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"
}

# Keeps one wineserver alive and starts Wine's helper services once with their output
# detached, so that later programs neither wait for a server start nor for helpers
# that inherited their output pipes.
tarsil_wine_start() {
  wineserver -p >/dev/null 2>&1 </dev/null
  "$TARSIL_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

tarsil_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}

# Starts a private Xvfb (24-bit colour, so pixels read back exactly) and exports DISPLAY.
# Xvfb picks a free display number itself (-displayfd), so two runs on one machine never
# share a screen, whose pixels the tests read back. Each call starts one more display;
# tarsil_xvfb_stop ends them all.
TARSIL_XVFB_PIDS=()
tarsil_xvfb_start() {
  local numberFile pid
  numberFile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$numberFile" >/dev/null 2>&1 </dev/null &
  pid=$!
  TARSIL_XVFB_PIDS+=("$pid")
  local i
  for i in $(seq 1 200); do
    [ -s "$numberFile" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  local n
  n="$(tr -dc '0-9' <"$numberFile")"
  rm -f "$numberFile"
  if [ -n "$n" ] && kill -0 "$pid" 2>/dev/null; then
    export DISPLAY=":$n"
    return 0
  fi
  echo "could not start Xvfb" >&2
  return 1
}

tarsil_xvfb_stop() {
  local pid
  for pid in "${TARSIL_XVFB_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  TARSIL_XVFB_PIDS=()
}

# Test lanes: scripts/test runs tests side by side, each in a lane of its own, an X display
# and a copy of every Wine prefix that no other lane uses, so that no two tests read back
# each other's pixels or share a wineserver. ctest hands each test its lane as a resource
# (CTEST_RESOURCE_GROUP_0_LANES=id:N,slots:1), scripts/test exports the lanes' displays in
# TARSIL_LANE_DISPLAYS (lane 0 first). Lane 0 uses the prefix that the test names; lane N
# its copy PREFIX-laneN.
tarsil_lane_prefix() {
  local prefix="$1" lane="$2"
  if [ "$lane" -eq 0 ]; then
    printf '%s' "$prefix"
  else
    printf '%s-lane%s' "$prefix" "$lane"
  fi
}

# Points DISPLAY and WINEPREFIX at the lane ctest gave the running test, if it gave one.
tarsil_lane_enter() {
  local allocation="${CTEST_RESOURCE_GROUP_0_LANES:-}"
  [ -n "$allocation" ] && [ -n "${TARSIL_LANE_DISPLAYS:-}" ] || return 0
  local lane="${allocation#id:}"
  lane="${lane%%,*}"
  local displays
  read -r -a displays <<<"$TARSIL_LANE_DISPLAYS"
  if [ -z "${displays[$lane]:-}" ]; then
    echo "no display for test lane $lane (lanes: $TARSIL_LANE_DISPLAYS)" >&2
    return 1
  fi
  export DISPLAY="${displays[$lane]}"
  WINEPREFIX="$(tarsil_lane_prefix "$WINEPREFIX" "$lane")"
  export WINEPREFIX
}

# Makes COPY a copy of the ready prefix FROM, unless it is one already: copying takes a
# fraction of the time that making a prefix takes. FROM's wineserver must not be running,
# so that its registry is all on disk.
# The copy shares FROM's files through hard links (695 MB a prefix, Wine's DLLs and
# programs, which Wine only reads) and has folders of its own, so that what a program
# creates, renames or deletes stays in the copy. Only the files Wine writes in place are
# copied (TARSIL_WINE_WRITTEN): the registry, which the wineserver saves to a temporary file
# renamed into place, but into the file itself once it has more than one link. (After a run
# of the suite, no shared file of a prefix had changed.) The copy is made under another name
# and renamed when complete, so that an interrupted copy is never taken for a ready one.
TARSIL_WINE_WRITTEN=(system.reg user.reg userdef.reg)
tarsil_wine_prefix_copy() {
  local from="$1" copy="$2" file
  (
    flock 9
    if [ "$(cat "$copy/.tarsil-ready" 2>/dev/null)" != "$(cat "$from/.tarsil-ready")" ]; then
      rm -rf "$copy" "$copy.partial"
      cp -al "$from" "$copy.partial"
      for file in "${TARSIL_WINE_WRITTEN[@]}"; do
        cp -a --remove-destination "$from/$file" "$copy.partial/$file"
      done
      mv "$copy.partial" "$copy"
    fi
  ) 9>"$copy.lock"
}
