#!/usr/bin/env bash
# Signs the release the way a maintainer does (scripts/sign), with a
# throwaway self-signed certificate, into a folder of the test's own, then
# checks the signature: osslsigncode accepts the signed module against that
# certificate, and refuses the unsigned module and a signed one changed
# after signing. The signed package must pass the release package's checks,
# holding the signed module.
#   sign_release.sh <checkout> <work folder> <version>
set -euo pipefail
checkout=$1 work=$2 version=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
cd "$work"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Karvo Indent System test signer" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout key.pem -out certificate.pem 2>/dev/null
echo "throwaway password" >password.txt
openssl pkcs12 -export -inkey key.pem -in certificate.pem -passout file:password.txt -out signer.pfx
"$checkout/scripts/sign" --output signed signer.pfx password.txt

signed=signed/karvoindentsystem64.fxt
verify() { osslsigncode verify -CAfile certificate.pem -in "$1" >"$2" 2>&1; }
verify "$signed" verify_signed.txt || { cat verify_signed.txt >&2; exit 1; }
if verify "$checkout/build/release/dist/karvoindentsystem64.fxt" verify_unsigned.txt; then
  echo "osslsigncode accepted the unsigned module" >&2
  exit 1
fi
# One byte of code inverted, inside the first section.
cp "$signed" changed.fxt
byte=$(od -An -tu1 -j $((0x500)) -N 1 changed.fxt)
printf "$(printf '\\%03o' $((255 - byte)))" | dd of=changed.fxt bs=1 seek=$((0x500)) conv=notrunc status=none
if verify changed.fxt verify_changed.txt; then
  echo "osslsigncode accepted a signed module changed after signing" >&2
  exit 1
fi

"$here/check_package.sh" "signed/karvoindentsystem64-$version-win64.zip" "$signed" \
  "$checkout" "$version"
