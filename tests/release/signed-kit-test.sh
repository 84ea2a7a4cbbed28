#!/usr/bin/env bash
# The kit signed with a throwaway self-signed certificate made here, and time-stamped by a
# local time-stamp server with a throwaway certificate of its own. Every program and DLL of
# bin/ carries a signature and a time stamp that osslsigncode verifies against those
# certificates; apart from the checksum and the certificate table, signing changes nothing
# of the image (headers, sections, exports, imports, resources); SHA256SUMS holds the
# signed files; and a host built against the signed kit verifies a word with the signed
# DLL under Wine. Without a time-stamp server the signature has no time stamp; without a
# certificate nothing is signed; a wrong password or a time-stamp server that cannot be
# reached fails the install; the password reaches no file.
# Usage: signed-kit-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh" kit-signing "$@"

export TARSIL_SIGNING_PASSWORD
TARSIL_SIGNING_PASSWORD="$(openssl rand -hex 16)"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=TarsilDlg29 throwaway test signer" \
  -addext "keyUsage=digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$work/key.pem" -out "$work/certificate.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/certificate.pem" -out "$work/signing.p12" \
  -passout env:TARSIL_SIGNING_PASSWORD
rm "$work/key.pem"

# The time-stamp server.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=TarsilDlg29 throwaway time-stamp server" \
  -addext "extendedKeyUsage=critical,timeStamping" -keyout "$work/tsa-key.pem" -out "$work/tsa.pem" 2>/dev/null
echo 01 >"$work/tsa-serial"
cat >"$work/tsa.cnf" <<CONFIG
[ tsa ]
default_tsa = throwaway
[ throwaway ]
serial = $work/tsa-serial
signer_cert = $work/tsa.pem
certs = $work/tsa.pem
signer_key = $work/tsa-key.pem
signer_digest = sha256
default_policy = 1.3.6.1.4.1.99999.1
digests = sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
CONFIG
python3 "$source/tests/release/time-stamp-server.py" "$work/tsa.cnf" >"$work/tsa-port" &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
  [ -s "$work/tsa-port" ] && break
  sleep 0.05
done
timestamp_url="http://127.0.0.1:$(cat "$work/tsa-port")"

# Installs the kit into PREFIX with the signing settings in the environment given.
install_kit() {
  local prefix="$1"
  shift
  env "$@" cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1
}

install_kit "$work/unsigned" TARSIL_SIGNING_PKCS12= || fail "the unsigned install failed"
if install_kit "$work/wrong-password" TARSIL_SIGNING_PKCS12="$work/signing.p12" TARSIL_SIGNING_PASSWORD=wrong; then
  fail "an install with a wrong password succeeded"
fi
if install_kit "$work/no-time-stamp" TARSIL_SIGNING_PKCS12="$work/signing.p12" \
     TARSIL_SIGNING_TIMESTAMP_URL=http://127.0.0.1:9/; then
  fail "an install whose time-stamp server cannot be reached succeeded"
fi

install_kit "$work/signed-without-time-stamp" TARSIL_SIGNING_PKCS12="$work/signing.p12" ||
  fail "signing without a time-stamp server failed"
osslsigncode verify -CAfile "$work/certificate.pem" -in "$work/signed-without-time-stamp/bin/TarsilDlg29.dll" \
  >"$work/verify.log" 2>&1 || fail "osslsigncode does not verify the DLL signed without a time stamp"
grep -q "Timestamp time" "$work/verify.log" && fail "the DLL signed without a time-stamp server has a time stamp"

# The signed and time-stamped kit, with a host built against it that verifies a word under
# Wine.
host_output="$(TARSIL_SIGNING_PKCS12="$work/signing.p12" TARSIL_SIGNING_TIMESTAMP_URL="$timestamp_url" \
               "$source/tests/kit/run-kit-test.sh" "$build" "$source" gcc kit-signing/host 2>&1)" || true
echo "$host_output"
grep -q "kit host: ok" <<<"$host_output" || fail "the host did not verify a word with the signed DLL"
signed="$work/host/prefix"
unsigned="$work/unsigned"

# What signing may change: the checksum, the certificate table's directory entry, and
# the signature appended to the file.
view() {
  { x86_64-w64-mingw32-objdump -p -h "$1" | grep -v -e '^CheckSum' -e 'Security Directory'
    x86_64-w64-mingw32-objdump -s -j .rsrc "$1"; } | sed "s|$1|FILE|g"
}

binaries=0
for file in "$signed"/bin/*; do
  case "${file,,}" in *.dll|*.exe) ;; *) continue ;; esac
  name="bin/$(basename "$file")"
  binaries=$((binaries + 1))
  osslsigncode verify -CAfile "$work/certificate.pem" -TSA-CAfile "$work/tsa.pem" -in "$file" >"$work/verify.log" 2>&1 ||
    { fail "osslsigncode does not verify the signed $name"; cat "$work/verify.log"; }
  grep -q "Timestamp Server Signature verification: ok" "$work/verify.log" ||
    fail "the signature of $name carries no valid time stamp"
  if osslsigncode verify -in "$unsigned/$name" >/dev/null 2>&1; then
    fail "$name of the kit installed without a certificate carries a signature"
  fi
  diff <(view "$unsigned/$name") <(view "$file") >"$work/view.diff" ||
    { fail "signing changed more of $name than its signature"; head -20 "$work/view.diff"; }
done
[ "$binaries" -gt 0 ] || fail "the signed kit holds no program or DLL"

(cd "$signed" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS of the signed kit does not verify"
cmp -s "$signed/SHA256SUMS" "$unsigned/SHA256SUMS" && fail "SHA256SUMS of the signed kit is the unsigned one's"

if grep -r -l -F "$TARSIL_SIGNING_PASSWORD" "$build/CMakeCache.txt" "$build/cmake_install.cmake" "$signed" \
     "$work"/*.log "$work/host"; then
  fail "the files above hold the certificate's password"
fi

finish_checks "signed kit: ok"
