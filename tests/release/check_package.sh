#!/usr/bin/env bash
# The package as a user gets it: named for the version; holding the install
# note, the licence, SHA256SUMS and the module, in that order and nothing
# else, each carrying the commit's time and nothing of the machine that
# packed it (no owner, no other times); the module the one given, byte for
# byte; SHA256SUMS right for the other three; the note naming the version
# and both commands; the licence the checkout's own.
#   check_package.sh <package> <module> <checkout> <version>
set -euo pipefail
package=$1 module=$2 checkout=$3 version=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$package: $*" >&2; exit 1; }

[ "$(basename "$package")" = "karvoindentsystem64-$version-win64.zip" ] || fail "not named for version $version"
entries=$(zipinfo -1 "$package" | tr '\n' ' ')
[ "$entries" = "INSTALL.txt LICENSE.txt SHA256SUMS karvoindentsystem64.fxt " ] ||
  fail "holds $entries"

# zip keeps times to two seconds, rounding odd ones up.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$checkout" log -1 --format=%ct)}
commit_time=$(TZ=UTC date -d "@$(((epoch + 1) / 2 * 2))" +%Y%m%d.%H%M%S)
times=$(TZ=UTC zipinfo -T -s "$package" | awk '/^-/ { print $7 }' | sort -u)
[ "$times" = "$commit_time" ] || fail "files carry times $times, not the commit's $commit_time"
extras=$(zipinfo -v "$package" | grep -c 'length of extra field: *[1-9]' || true)
[ "$extras" -eq 0 ] || fail "$extras entries record their owner or other times in an extra field"

unzip -q "$package" -d "$work"
cmp -s "$work/karvoindentsystem64.fxt" "$module" || fail "holds another module than $module"
cmp -s "$work/LICENSE.txt" "$checkout/LICENSE" || fail "holds another licence than $checkout/LICENSE"
(cd "$work" && sha256sum --check --strict --quiet SHA256SUMS) || fail "SHA256SUMS does not match the files"
[ "$(awk '{ print $2 }' "$work/SHA256SUMS" | tr '\n' ' ')" = "INSTALL.txt LICENSE.txt karvoindentsystem64.fxt " ] ||
  fail "SHA256SUMS does not list the three other files"
for text in "Karvo Indent System $version" "Indent System/Final Barlines" "Indent System/Show Full Names"; do
  grep -qF "$text" "$work/INSTALL.txt" || fail "INSTALL.txt does not say '$text'"
done
echo "$package: $entries"
