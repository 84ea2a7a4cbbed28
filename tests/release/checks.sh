# What the release checks share; sourced by each of them, whose arguments are always
# BUILD_DIR SOURCE_DIR. Sets build, source and work (a fresh folder BUILD_DIR/WORK_NAME),
# and counts failed checks, so that a script reports every failure before it ends.
# Usage: . checks.sh WORK_NAME "$@"

# A release engineer's signing settings (the README has them exported) never reach the
# throwaway builds made here: they would sign them with the real key and call the real
# time-stamp server. The signing check makes its own.
unset "${!TARSIL_SIGNING_@}"

build="$2"
source="$3"
work="$build/$1"
rm -rf "$work"
mkdir -p "$work"

failures=0
fail() { echo "check failed: $*"; failures=$((failures + 1)); }

# Ends the script: with status 1 after any failed check, else printing SUCCESS_LINE.
finish_checks() {
  [ "$failures" -eq 0 ] || exit 1
  echo "$1"
}
