#!/usr/bin/env bash
# The package as a user gets it: named for the version (and -signed when
# signed); holding the build record, the changes, the install note, the
# licence, SHA256SUMS.txt, the notices and the module, in that order and
# nothing else, each carrying the build record's time and nothing of the
# machine that packed it (no owner, no other times); every text file with
# Windows line ends; the module the one given, byte for byte; the sums right
# for every other file; the note naming the version, both commands and
# whether the module is signed; the changes the newest entry of
# CHANGELOG.md; the build record naming the checkout's commit and its time;
# the licence the checkout's own; the note naming the place to report a
# problem that the build was given (REPORT_PROBLEMS_TO, when set), and
# giving each shell's recording steps.
#   [REPORT_PROBLEMS_TO=...] check_package.sh [--signed] <package> <module> <checkout> <version>
set -euo pipefail
signed=false
if [ "$1" = --signed ]; then signed=true; shift; fi
package=$1 module=$2 checkout=$3 version=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$package: $*" >&2; exit 1; }

kind=
if $signed; then kind=-signed; fi
name=karvoindentsystem64-$version-win64$kind.zip
[ "$(basename "$package")" = "$name" ] || fail "not named $name"
texts="BUILDINFO.txt CHANGES.txt INSTALL.txt LICENSE.txt SHA256SUMS.txt THIRD-PARTY-NOTICES.txt"
entries=$(zipinfo -1 "$package" | tr '\n' ' ')
[ "$entries" = "$texts karvoindentsystem64.fxt " ] || fail "holds $entries"

unzip -q "$package" -d "$work"
unix() { tr -d '\r' <"$work/$1"; }
for text in $texts; do
  # Every line ends in CR LF: as many CRs as line ends, none elsewhere.
  [ "$(tr -cd '\r' <"$work/$text" | wc -c)" = "$(tr -cd '\n' <"$work/$text" | wc -c)" ] &&
    ! unix "$text" | grep -q $'\r' && [ "$(tail -c 2 "$work/$text" | od -An -c | tr -d ' ')" = '\r\n' ] ||
    fail "$text does not have Windows line ends throughout"
done

record=$(unix BUILDINFO.txt)
epoch=$(sed -n 's/^SOURCE_DATE_EPOCH: \([0-9]*\) .*/\1/p' <<<"$record")
[ "$epoch" = "${SOURCE_DATE_EPOCH:-$(git -C "$checkout" log -1 --format=%ct)}" ] ||
  fail "BUILDINFO.txt gives SOURCE_DATE_EPOCH '$epoch', not the commit's time"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  commit=$(sed -n 's/^commit: \([0-9a-f]*\).*/\1/p' <<<"$record")
  [ "$commit" = "$(git -C "$checkout" rev-parse HEAD)" ] || fail "BUILDINFO.txt names commit '$commit', not the checkout's"
fi
for tool in compiler binutils mingw-w64 cmake ninja zip pefile; do
  grep -q "^$tool: [^ ]" <<<"$record" || fail "BUILDINFO.txt gives no version of $tool"
done

# zip keeps times to two seconds, rounding odd ones up.
packed_time=$(TZ=UTC date -d "@$(((epoch + 1) / 2 * 2))" +%Y%m%d.%H%M%S)
times=$(TZ=UTC zipinfo -T -s "$package" | awk '/^-/ { print $7 }' | sort -u)
[ "$times" = "$packed_time" ] || fail "files carry times $times, not the build record's $packed_time"
extras=$(zipinfo -v "$package" | grep -c 'length of extra field: *[1-9]' || true)
[ "$extras" -eq 0 ] || fail "$extras entries record their owner or other times in an extra field"

cmp -s "$work/karvoindentsystem64.fxt" "$module" || fail "holds another module than $module"
cmp -s <(unix LICENSE.txt) "$checkout/LICENSE" || fail "holds another licence than $checkout/LICENSE"
(cd "$work" && tr -d '\r' <SHA256SUMS.txt | sha256sum --check --strict --quiet) ||
  fail "SHA256SUMS.txt does not match the files"
[ "$(unix SHA256SUMS.txt | awk '{ print $2 }' | tr '\n' ' ')" = "${texts/SHA256SUMS.txt /} karvoindentsystem64.fxt " ] ||
  fail "SHA256SUMS.txt does not list every other file"

# The newest entry of the list of changes, under a heading of its own.
entry=$(awk -v heading="## $version" '$0 == heading { found = 1; next } found && /^## / { exit } found' \
  "$checkout/CHANGELOG.md" | sed -e '/./,$!d')
[ -n "$entry" ] || fail "CHANGELOG.md has no entry for $version"
[ "$(unix CHANGES.txt)" = "$(printf 'Karvo Indent System %s: what changed\n\n%s' "$version" "$entry")" ] ||
  fail "CHANGES.txt is not the entry for $version in CHANGELOG.md"

note=$(unix INSTALL.txt)
if $signed; then
  says=("The module karvoindentsystem64.fxt is signed" "Get-AuthenticodeSignature karvoindentsystem64.fxt")
else
  says=("This package is not signed")
fi
if [ -n "${REPORT_PROBLEMS_TO:-}" ]; then says+=("Report a problem to $REPORT_PROBLEMS_TO."); fi
# PowerShell leaves %USERPROFILE% as it is: each shell gets steps of its own.
for text in "Karvo Indent System $version" "Indent System/Final Barlines" "Indent System/Show Full Names" \
    "SHA256SUMS.txt" "not who made them" "administrator" "KARVO_INDENT_RECORD_DIR" \
    'setx KARVO_INDENT_RECORD_DIR "%USERPROFILE%' '$folder = "$env:USERPROFILE' \
    "karvo-indent-0000000001.json" "If no file appears" "What to send" "${says[@]}"; do
  grep -qF "$text" <<<"$note" || fail "INSTALL.txt does not say '$text'"
done
grep -q '@[A-Z_]*@' <<<"$note" && fail "INSTALL.txt has a placeholder left: $(grep -o '@[A-Z_]*@' <<<"$note" | head -1)"
echo "$package: $entries"
