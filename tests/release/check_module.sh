#!/usr/bin/env bash
# The release module as built. Its debug information, kept beside it,
# belongs to it (the module's debug link names that file and its CRC) and
# leads from an export to its line in the source, by a path relative to the
# checkout. With --windows also: it stays under 200 KB (check_pe.py checks
# the rest of a Windows module).
#   check_module.sh [--windows] <module> <binutils prefix>
set -euo pipefail
windows=false
if [ "$1" = --windows ]; then windows=true; shift; fi
module=$1 tools=$2
debug=$module.debug
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$module: $*" >&2; exit 1; }

# (objcopy writes a copy; given no output file, it would rewrite the module.)
"${tools}objcopy" --dump-section .gnu_debuglink="$work/link" "$module" "$work/copy" 2>/dev/null ||
  fail "has no debug link"
name=$(head -c -4 "$work/link" | tr -d '\0')
[ "$(basename "$debug")" = "$name" ] || fail "links to '$name', not to $(basename "$debug")"
# The link's CRC is the CRC-32 that gzip's trailer also carries.
[ "$(tail -c 4 "$work/link" | od -An -tx4)" = "$(gzip -c <"$debug" | tail -c 8 | head -c 4 | od -An -tx4)" ] ||
  fail "its debug link's CRC does not match $debug"

address=$("${tools}nm" "$debug" | awk '$3 == "FinaleExtensionInvoke" { print $1 }')
[ -n "$address" ] || fail "$debug has no symbol FinaleExtensionInvoke"
line=$("${tools}addr2line" -e "$debug" "0x$address")
[[ $line =~ ^\./shell/exports\.cpp:[0-9]+$ ]] || fail "FinaleExtensionInvoke is at '$line', not in ./shell/exports.cpp"

if $windows; then
  size=$(stat -c %s "$module")
  [ "$size" -lt 204800 ] || fail "is $size bytes, over 200 KB"
fi
echo "$module: debug link, line information$($windows && echo ", $size bytes")"
