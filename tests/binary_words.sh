#!/usr/bin/env bash
# Fails when a text in the built binary speaks of another platform. Qt keeps QStringLiteral
# texts as UTF-16, so both 8-bit and 16-bit little-endian runs are read.
# Usage: binary_words.sh BINARY
set -euo pipefail
binary=$1
[[ -f "$binary" ]] || { echo "no binary at $binary" >&2; exit 1; }

texts=$(strings -a "$binary"; strings -a -e l "$binary")
status=0
for word in 'macOS' 'System Settings' 'Privacy & Security' 'this Mac' 'menu bar'; do
    if grep -F -w -i -- "$word" <<<"$texts"; then
        echo "^ \"$word\" is another platform's word" >&2
        status=1
    fi
done
exit $status
