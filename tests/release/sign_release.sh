#!/usr/bin/env bash
# Signs the release the way a maintainer does (scripts/sign), with throwaway
# self-signed certificates, each case in a folder of its own:
#
#   sign_release.sh <case> <checkout> <work folder> <version>
#
# signature: the signed module verifies against its certificate, with a PE
#   checksum every verifier agrees on; the unsigned module and a signed one
#   changed after signing do not verify; the signed package passes the
#   package checks, as signed; signing without a time stamp warns.
# not_for_code_signing: a server certificate is refused before signing.
# expired: an expired certificate is refused before signing.
# wrong_password: a wrong password is said as such.
# unsigned_folder: the unsigned release's folder is refused as the output,
#   and left as it was.
# time_stamp_fails: a time-stamping server that does not answer is named in
#   the script's own words, and nothing is published.
# packing_fails: when the package cannot be packed, the folder keeps the
#   module and package it had, byte for byte.
# publishing_fails: so it does when the package cannot be moved in, after
#   the module was.
# bad_signature: a signature that does not verify is not published.
# other_version: a folder holding another version's signed package is
#   refused, and nothing in it is replaced.
set -euo pipefail
case=$1 checkout=$2 work=$3 version=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
cd "$work"
fail() { echo "$case: $*" >&2; exit 1; }
dist=$checkout/build/release/dist
name=karvoindentsystem64-$version-win64-signed.zip

# certificate <name> <openssl req options...>: name.pem and name.pfx, whose
# password is in password.txt.
echo "throwaway password" >password.txt
certificate() {
  local name=$1
  shift
  openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=Karvo Indent System test $name" \
    -keyout "$name.key" -out "$name.pem" "$@" 2>/dev/null
  openssl pkcs12 -export -inkey "$name.key" -in "$name.pem" -passout file:password.txt -out "$name.pfx"
}
code_signing=(-addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning")
# sign <expected status> [arguments...]: scripts/sign, its standard error in said.txt.
sign() {
  local expected=$1 status=0
  shift
  "$checkout/scripts/sign" "$@" >signed.txt 2>said.txt || status=$?
  [ "$status" = "$expected" ] || fail "scripts/sign $* exited $status, not $expected: $(cat said.txt)"
}
says() { grep -qF -- "$1" said.txt || fail "scripts/sign did not say '$1': $(cat said.txt)"; }
sums() { (cd "$1" && find . -type f -exec sha256sum {} + | sort); }
# A first signing into folder signed/, to see what a failed one leaves.
sign_first() {
  certificate signer -days 2 "${code_signing[@]}"
  sign 0 --output signed signer.pfx password.txt
  sums signed >before.txt
}

# sign_with_broken <program> <its script> <what scripts/sign says>: after a
# first signing, one with that program replaced by the script, which must
# fail, say so, and leave the signed folder as the first signing left it.
sign_with_broken() {
  sign_first
  mkdir broken
  printf '%s\n' "$2" >"broken/$1"
  chmod +x "broken/$1"
  PATH=$PWD/broken:$PATH sign 1 --output signed signer.pfx password.txt
  says "$3"
  sums signed | cmp -s - before.txt || fail "the signed folder changed: $(sums signed)"
}

case $case in
  signature)
    certificate signer -days 2 "${code_signing[@]}"
    sign 0 --output signed signer.pfx password.txt
    says "warning: no --timestamp"
    signed=signed/karvoindentsystem64.fxt
    verify() { osslsigncode verify -CAfile signer.pem -in "$1" >"$2" 2>&1; }
    verify "$signed" verify_signed.txt || fail "the signed module does not verify: $(cat verify_signed.txt)"
    ! grep -q 'invalid PE checksum' verify_signed.txt || fail "the signed module's PE checksum is refused"
    verify "$dist/karvoindentsystem64.fxt" verify_unsigned.txt && fail "osslsigncode accepted the unsigned module"
    # One byte of code inverted, inside the first section.
    cp "$signed" changed.fxt
    byte=$(od -An -tu1 -j $((0x500)) -N 1 changed.fxt)
    printf "$(printf '\\%03o' $((255 - byte)))" | dd of=changed.fxt bs=1 seek=$((0x500)) conv=notrunc status=none
    verify changed.fxt verify_changed.txt && fail "osslsigncode accepted a signed module changed after signing"
    [ "$(ls -A signed | sort)" = "$(printf '%s\n' "$name" karvoindentsystem64.fxt | sort)" ] ||
      fail "the output holds $(ls -A signed | tr '\n' ' ')"
    "$here/check_package.sh" --signed "signed/$name" "$signed" "$checkout" "$version"
    ;;
  not_for_code_signing)
    certificate server -days 2 -addext "keyUsage=critical,keyEncipherment" -addext "extendedKeyUsage=serverAuth"
    sign 1 --output signed server.pfx password.txt
    says "is not for code signing (its purposes: TLS Web Server Authentication)"
    [ ! -e signed/karvoindentsystem64.fxt ] || fail "a module was signed all the same"
    ;;
  expired)
    # openssl req makes certificates valid from now only; openssl ca takes dates.
    mkdir ca
    touch ca/index.txt
    echo 01 >ca/serial
    cat >ca.cnf <<'END'
[ca]
default_ca = old
[old]
database = ca/index.txt
serial = ca/serial
new_certs_dir = ca
default_md = sha256
policy = old_policy
x509_extensions = old_extensions
[old_policy]
commonName = supplied
[old_extensions]
keyUsage = critical,digitalSignature
extendedKeyUsage = codeSigning
END
    openssl req -new -newkey rsa:2048 -nodes -subj "/CN=Karvo Indent System test old" \
      -keyout old.key -out old.csr 2>/dev/null
    openssl ca -batch -config ca.cnf -selfsign -keyfile old.key -in old.csr \
      -startdate 20200101000000Z -enddate 20200102000000Z -out old.pem 2>/dev/null
    openssl pkcs12 -export -inkey old.key -in old.pem -passout file:password.txt -out old.pfx
    sign 1 --output signed old.pfx password.txt
    says "expired on"
    ;;
  wrong_password)
    certificate signer -days 2 "${code_signing[@]}"
    echo "another password" >wrong.txt
    sign 1 --output signed signer.pfx wrong.txt
    says "not a PKCS#12 file, or the password is wrong"
    ;;
  unsigned_folder)
    certificate signer -days 2 "${code_signing[@]}"
    sums "$dist" >before.txt
    sign 1 --output "$dist/" signer.pfx password.txt
    says "will not write into"
    sums "$dist" | cmp -s - before.txt || fail "the unsigned release changed"
    ;;
  time_stamp_fails)
    sign_first
    # Nothing listens at the discard port of this machine.
    sign 1 --output signed --timestamp http://127.0.0.1:9/ signer.pfx password.txt
    says "the time-stamping server http://127.0.0.1:9/ gave no time stamp"
    ! grep -q -e "-t" -e "RFC3161" said.txt || fail "scripts/sign passed on osslsigncode's advice: $(cat said.txt)"
    sums signed | cmp -s - before.txt || fail "the signed folder changed"
    ;;
  packing_fails)
    sign_with_broken zip $'#!/bin/sh\necho "zip: out of space" >&2\nexit 15' "nothing was published"
    [ -z "$(ls -A signed | grep -v -x -e karvoindentsystem64.fxt -e "$name")" ] ||
      fail "left $(ls -A signed | tr '\n' ' ') in the signed folder"
    ;;
  publishing_fails)
    sign_with_broken mv \
      $'#!/bin/sh\ncase "$2" in *-signed.zip) case "$1" in */.signing.*) exit 1 ;; esac ;; esac\nexec /bin/mv "$@"' \
      "it holds what it held before"
    ;;
  bad_signature)
    # osslsigncode signs, and then a byte of what it wrote changes.
    sign_with_broken osslsigncode "$(cat <<'END'
#!/bin/sh
/usr/bin/osslsigncode "$@" || exit
[ "$1" = sign ] || exit 0
while [ "$1" != -out ]; do shift; done
printf 'X' | dd of="$2" bs=1 seek=1280 conv=notrunc status=none
END
)" "the signed module does not verify; nothing was published"
    ;;
  other_version)
    sign_first
    echo "an earlier signed package" >signed/karvoindentsystem64-0.9.0.0-win64-signed.zip
    sums signed >before.txt
    sign 1 --output signed signer.pfx password.txt
    says "another version's signed package"
    sums signed | cmp -s - before.txt || fail "the signed folder changed"
    ;;
  *)
    echo "no such case: $case" >&2
    exit 2
    ;;
esac
echo "$case: as expected"
