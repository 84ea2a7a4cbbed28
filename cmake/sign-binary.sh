#!/usr/bin/env bash
# Signs one Windows program or DLL in place with Authenticode (SHA-256) and, when a server is
# named, an RFC 3161 time stamp. The password comes from TARSIL_SIGNING_PASSWORD and reaches
# osslsigncode through a pipe: never on a command line, where other users could read it,
# nor in a file. The file keeps its mode.
# Usage: sign-binary.sh OSSLSIGNCODE FILE PKCS12 [TIMESTAMP_URL]
set -euo pipefail
osslsigncode="$1"
file="$2"
pkcs12="$3"
timestamp_url="${4:-}"
: "${TARSIL_SIGNING_PASSWORD?must hold the password of the certificate}"

timestamp=()
[ -n "$timestamp_url" ] && timestamp=(-ts "$timestamp_url")
signed="$file.signed"
rm -f "$signed"
trap 'rm -f "$signed"' EXIT
"$osslsigncode" sign -pkcs12 "$pkcs12" -readpass <(printf '%s' "$TARSIL_SIGNING_PASSWORD") -h sha256 \
  -n "Tarsil Word Verification" "${timestamp[@]}" -in "$file" -out "$signed" >/dev/null
cat "$signed" >"$file"
