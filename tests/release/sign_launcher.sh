#!/usr/bin/env bash
# Signs a copy of the launcher the way a packager would, with a throwaway self-signed code-signing
# certificate made here, and checks the signature. The signed copy's tests run after this.
# Usage: sign_launcher.sh LAUNCHER.exe OUT_DIR [DESCRIPTION]
set -euo pipefail
exe=$1
out=$2
description=${3:-launcher}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -subj "/CN=Throwaway test signer" \
  -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>"$work/openssl.log" || {
  cat "$work/openssl.log" >&2
  exit 1
}
rm -rf "$out"
mkdir -p "$out"
signed=$out/$(basename "$exe")
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -h sha256 -n "$description" \
  -in "$exe" -out "$signed" >"$work/sign.log" 2>&1 || {
  cat "$work/sign.log" >&2
  exit 1
}
# The self-signed certificate is its own root; verification then checks the digest and chain.
osslsigncode verify -CAfile "$work/cert.pem" -in "$signed" >"$work/verify.log" 2>&1 || {
  cat "$work/verify.log" >&2
  exit 1
}
cmp -s "$exe" "$signed" && {
  echo "the signed copy is the same as the original" >&2
  exit 1
}
echo "signed: $signed ($(stat -c %s "$exe") -> $(stat -c %s "$signed") bytes)"
