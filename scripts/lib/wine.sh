# A private Wine environment for one build tree: its own prefix, one wineserver kept
# alive for the run, and a private X display. Never touches ~/.wine or the user's display.

export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# Mono and Gecko are never needed: answering their install prompts would block a headless run.
# Nor is the crash debugger: a crashing test must fail at once, not wait for one.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINELOADER=/usr/lib/wine/wine64
TARSIL_WINE=/usr/lib/wine/wine64

# Creates the prefix once (about 13 s) and configures it for fast, deterministic dialogs:
# unmanaged X11 windows (no 2 s wait for a window manager on every close) and a
# metric-compatible substitute for Courier New.
tarsil_wine_prefix() {
  local prefix="$1" here
  here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
  export WINEPREFIX="$prefix"
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/.tarsil-ready" ]; then
      rm -rf "$prefix"
      "$TARSIL_WINE" wineboot -i >/dev/null 2>&1 </dev/null
      "$TARSIL_WINE" regedit /S "$(winepath_of "$here/wine-prefix.reg")" >/dev/null 2>&1 </dev/null
      wineserver -w
      touch "$prefix/.tarsil-ready"
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
# share a screen, whose pixels the tests read back.
tarsil_xvfb_start() {
  local numberFile
  numberFile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$numberFile" >/dev/null 2>&1 </dev/null &
  TARSIL_XVFB_PID=$!
  local i
  for i in $(seq 1 200); do
    [ -s "$numberFile" ] && break
    kill -0 "$TARSIL_XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  local n
  n="$(tr -dc '0-9' <"$numberFile")"
  rm -f "$numberFile"
  if [ -n "$n" ] && kill -0 "$TARSIL_XVFB_PID" 2>/dev/null; then
    export DISPLAY=":$n"
    return 0
  fi
  echo "could not start Xvfb" >&2
  return 1
}

tarsil_xvfb_stop() {
  [ -n "${TARSIL_XVFB_PID:-}" ] && kill "$TARSIL_XVFB_PID" 2>/dev/null || true
}
